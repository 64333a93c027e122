// benchtimer.exe COMMAND --name value...
//   run --cmdline S [--cmdline S...] [--no-window yes]   programs one after the other, each to its end
//   window --cmdline S --caption T        start until that window is visible; closes it
//   service --op start|stop               the product's service controller, one call
//   kit --path P --box-caption T          Save in the file dialog until the result box
#include <cstdio>
#include <cwchar>

#include "bench_timer.h"

int wmain(int argc, wchar_t** argv) {
    using namespace benchtimer;
    try {
        if (argc < 2) throw Failure("usage: benchtimer run|window|service|kit --name value...", 2);
        const Options options(argc, argv, 2);
        const std::wstring command = argv[1];
        std::string result;
        if (command == L"run")
            result = RunCommand(options);
        else if (command == L"window")
            result = WindowCommand(options);
        else if (command == L"service")
            result = ServiceCommand(options);
        else if (command == L"kit")
            result = KitCommand(options);
        else
            throw Failure("unknown command \"" + Utf8(command) + "\"", 2);
        std::printf("%s\n", result.c_str());
        return 0;
    } catch (const Failure& failure) {
        std::fprintf(stderr, "benchtimer: %s\n", failure.what());
        return failure.exitCode;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchtimer: %s\n", error.what());
        return 1;
    } catch (...) {
        std::fprintf(stderr, "benchtimer: the job ended with an unexpected exception\n");
        return 1;
    }
}
