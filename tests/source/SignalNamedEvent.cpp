// Signals a named event from a process of its own, as the dialog does to abort a run.
// Exit status 0 when the event existed and was signalled.
#include "platform/NamedEvent.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    return OpenAndSignalNamedEvent(argv[1]) ? 0 : 1;
}
