// What the test agent does, as chosen by the behaviour file beside it.
#pragma once

#include <string>

enum class Behaviour {
    Normal,           // starts and stops at once
    Instant,          // running before it reads anything; stopped before the stop control returns
    Slow,             // start pending and stop pending for a few seconds, checkpoints rising
    Stuck,            // stays start pending, its checkpoint never rises
    RefuseStop,       // runs and does not accept the stop control
    ExitDuringStart,  // reports start pending, then stops with an error
    Unknown,          // the file holds a word we do not know: the agent refuses to start
};

// Reads "<folder>\CorvexWorkstation.behaviour": one word, surrounding blanks ignored.
// A missing file means Normal; `word` gets what the file said ("" when it is missing).
Behaviour ReadBehaviour(const std::wstring& folder, std::string& word);

const char* NameOf(Behaviour behaviour);
