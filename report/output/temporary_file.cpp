#include "report/output/temporary_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#else
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#endif

#ifdef _WIN32
// The console's Ctrl+C comes on a thread of its own, and a file still
// open can't be removed there: the temporary file is left to the user.
int CreateTemporaryFile(const std::string& path) {
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

void ForgetTemporaryFile() {}
#else
namespace {

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
const size_t kCount = sizeof kSignals / sizeof kSignals[0];

std::string name;  // the file to remove, made before the handler may see it
const char* volatile removed = nullptr;
struct sigaction before[kCount];
bool handled[kCount];

// Only what is safe in a signal handler: the name was prepared before,
// and SA_RESETHAND has put back the default action, which the signal
// raised again takes once the handler returns.
void RemoveAndEnd(int signal) {
    const char* path = removed;
    if (path) {
        unlink(path);
    }
    raise(signal);
}

// Runs `change` with the signals held back, so that none comes halfway.
template <typename Change>
void WithSignalsHeld(Change change) {
    sigset_t held, mask;
    sigemptyset(&held);
    for (int signal : kSignals) {
        sigaddset(&held, signal);
    }
    pthread_sigmask(SIG_BLOCK, &held, &mask);
    change(held);
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
}

}  // namespace

int CreateTemporaryFile(const std::string& path) {
    int descriptor = -1, error = 0;
    WithSignalsHeld([&](const sigset_t& held) {
        for (size_t i = 0; i < kCount; i++) {
            struct sigaction action = {};
            handled[i] = sigaction(kSignals[i], nullptr, &before[i]) == 0 &&
                         before[i].sa_handler != SIG_IGN;
            if (handled[i]) {
                action.sa_handler = RemoveAndEnd;
                action.sa_mask = held;
                action.sa_flags = SA_RESETHAND;
                handled[i] = sigaction(kSignals[i], &action, nullptr) == 0;
            }
        }
        descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        error = errno;
        if (descriptor >= 0) {
            name = path;
            removed = name.c_str();
        }
    });
    if (descriptor < 0) {
        ForgetTemporaryFile();
    }
    errno = error;
    return descriptor;
}

void ForgetTemporaryFile() {
    WithSignalsHeld([&](const sigset_t&) {
        removed = nullptr;
        for (size_t i = 0; i < kCount; i++) {
            if (handled[i]) {
                sigaction(kSignals[i], &before[i], nullptr);
                handled[i] = false;
            }
        }
    });
}
#endif
