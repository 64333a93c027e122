// Command targets and their message maps: a table per class from a message (or a control's
// notification) to a member handler, chained to the base class's table.
#pragma once

#include <cstddef>

#include "platform/wintypes.h"

class CCmdTarget;

typedef void (CCmdTarget::*AFX_PMSG)();
typedef HCURSOR (CCmdTarget::*AFX_PCURSOR)();

struct MessageMapEntry {
    UINT message;  // WM_COMMAND, WM_PAINT, WM_QUERYDRAGICON
    UINT code;     // for WM_COMMAND: the notification (BN_CLICKED, EN_CHANGE)
    UINT id;       // for WM_COMMAND: the control or command identifier
    AFX_PMSG handler;
    AFX_PCURSOR cursorHandler;  // WM_QUERYDRAGICON only
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
    std::size_t count;
};

// Entry makers: each takes a member of the class that owns the map.
template <typename T>
MessageMapEntry MapCommand(UINT code, UINT id, void (T::*handler)()) {
    return MessageMapEntry{WM_COMMAND, code, id, static_cast<AFX_PMSG>(handler), nullptr};
}

template <typename T>
MessageMapEntry MapMessage(UINT message, void (T::*handler)()) {
    return MessageMapEntry{message, 0, 0, static_cast<AFX_PMSG>(handler), nullptr};
}

template <typename T>
MessageMapEntry MapQueryDragIcon(HCURSOR (T::*handler)()) {
    return MessageMapEntry{WM_QUERYDRAGICON, 0, 0, nullptr, static_cast<AFX_PCURSOR>(handler)};
}

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    virtual const MessageMap* GetMessageMap() const;

    // Runs the handler mapped to a command or notification, searching this class's map and
    // then its bases'. False when nothing handles it.
    bool DispatchCommand(UINT code, UINT id);
    // Runs the handler mapped to a window message; false when nothing handles it.
    bool DispatchMessage(UINT message, LRESULT* result);

private:
    const MessageMapEntry* Find(UINT message, UINT code, UINT id) const;
};
