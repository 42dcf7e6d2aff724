#include "report/output/output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "report/output/file_target.h"
#include "report/output/temporary_file.h"

namespace {

// A device, FIFO or socket: written in place, never removed.
bool WriteStream(const std::string& path, const std::function<void(FILE*)>& write,
                 std::string* problem) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        *problem = Failure(path, errno);
        return false;
    }
    write(file);
    bool written = fflush(file) == 0 && !ferror(file);
    int error = errno;
    written = fclose(file) == 0 && written;
    if (!written) {
        *problem = Failure(path, error != 0 ? error : errno);
    }
    return written;
}

}  // namespace

bool WriteFileWhole(const std::string& path, const std::string& signature,
                    const std::function<void(FILE*)>& write, std::string* problem) {
    FileTarget target;
    if (!FindFileTarget(path, signature, &target, problem)) {
        return false;
    }
    if (!target.regular) {
        return WriteStream(path, write, problem);
    }
#ifdef _WIN32
    int id = _getpid();
#else
    int id = static_cast<int>(getpid());
#endif
    // Beside the file, so that the rename stays on its file system.
    std::string temporary;
    int descriptor = -1;
    for (int attempt = 0; attempt < 100 && descriptor < 0; attempt++) {
        temporary = target.path + ".tmp-" + std::to_string(id) + "-" + std::to_string(attempt);
        descriptor = CreateTemporaryFile(temporary);
        if (descriptor < 0 && errno != EEXIST) {
            break;
        }
    }
    if (descriptor < 0) {
        // The page itself may be writable: it is the folder that is not.
        *problem = Failure(target.folder, errno) + " (the folder of " + path +
                   ", where the page is made before it is renamed into place)";
        return false;
    }
#ifndef _WIN32
    if (target.exists) {
        // The page someone made readable to others stays so; as root, it
        // also keeps its owner (a failure there harms nothing).
        fchmod(descriptor, static_cast<mode_t>(target.mode));
        if (geteuid() == 0 && fchown(descriptor, static_cast<uid_t>(target.owner),
                                     static_cast<gid_t>(target.group)) != 0) {
            errno = 0;
        }
    }
#endif
    FILE* file = fdopen(descriptor, "wb");
    if (!file) {
        *problem = Failure(path, errno);
        close(descriptor);
        remove(temporary.c_str());
        ForgetTemporaryFile();
        return false;
    }
    write(file);
    bool written = fflush(file) == 0 && !ferror(file);
#ifndef _WIN32
    written = written && fsync(descriptor) == 0;
#endif
    int error = errno;
    written = fclose(file) == 0 && written;
    error = written ? 0 : error != 0 ? error : errno;
#ifdef _WIN32
    if (written && !MoveFileExA(temporary.c_str(), target.path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        written = false;
        error = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    }
#else
    if (written && rename(temporary.c_str(), target.path.c_str()) != 0) {
        written = false;
        error = errno;
    }
#endif
    if (!written) {
        *problem = Failure(path, error != 0 ? error : EIO);
        remove(temporary.c_str());
    }
    ForgetTemporaryFile();
    return written;
}

bool HeldOutput::Open() {
    file_ = tmpfile();
#ifdef _WIN32
    // msvcrt's tmpfile() works in the root of the drive, which users may
    // not write to; the user's temporary folder, deleted on close.
    char folder[MAX_PATH], name[MAX_PATH];
    if (!file_ && GetTempPathA(MAX_PATH, folder) != 0 &&
        GetTempFileNameA(folder, "tvr", 0, name) != 0) {
        file_ = fopen(name, "w+bTD");
    }
#else
    if (!file_) {
        file_ = open_memstream(&memory_, &memorySize_);
        inMemory_ = file_ != nullptr;
    }
#endif
    return file_ != nullptr;
}

HeldOutput::~HeldOutput() {
    if (file_) {
        fclose(file_);
    }
    free(memory_);
}

bool HeldOutput::CopyTo(FILE* out) {
    if (!file_ || fflush(file_) != 0 || ferror(file_)) {
        if (!file_) {
            errno = ENOMEM;
        }
        return false;
    }
    if (inMemory_) {
        return fwrite(memory_, 1, memorySize_, out) == memorySize_;
    }
    rewind(file_);
    char buffer[1 << 14];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, file_)) > 0) {
        if (fwrite(buffer, 1, count, out) != count) {
            return false;
        }
    }
    return !ferror(file_);
}
