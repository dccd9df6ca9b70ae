#include "cli/InterruptSignal.h"

namespace {

volatile std::sig_atomic_t raised = 0;

void OnSignal(int) {
    raised = 1;
}

}  // namespace

InterruptSignal::InterruptSignal() {
    raised = 0;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
}

InterruptSignal::~InterruptSignal() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
}

bool InterruptSignal::Raised() const {
    return raised != 0;
}
