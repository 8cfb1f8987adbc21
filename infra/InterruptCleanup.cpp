#include "infra/InterruptCleanup.h"

#include "infra/CSafeFileWriter.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

sigset_t InterruptSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

void InstallInterruptCleanup() {
    const sigset_t signals = InterruptSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals] {
        int signal = 0;
        while (sigwait(&signals, &signal) != 0) {
        }
        CSafeFileWriter::RemovePendingTemporaryFiles(true);
        std::fprintf(stderr, "Interrupted: unfinished files were removed.\n");
        std::fflush(stderr);
        // No destructors and no atexit work: other threads may be in the
        // middle of anything.
        ::_exit(128 + signal);
    }).detach();
}
