#include "report/output/file_target.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <limits.h>
#include <unistd.h>
#endif

std::string Failure(const std::string& path, int error) {
    return path + ": " + strerror(error);
}

namespace {

// The folder `path` is in, as a path of its own.
std::string FolderOf(const std::string& path) {
#ifdef _WIN32
    size_t slash = path.find_last_of("/\\");
#else
    size_t slash = path.rfind('/');
#endif
    if (slash == std::string::npos) {
        return ".";
    }
    bool root = slash == 0 || path[slash - 1] == ':';
    return path.substr(0, root ? slash + 1 : slash);
}

// Whether the file begins with `signature`, or is empty.
bool BeginsWith(const std::string& path, const std::string& signature, int* error) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        *error = errno;
        return false;
    }
    std::string start(signature.size(), '\0');
    size_t count = fread(&start[0], 1, start.size(), file);
    *error = ferror(file) ? (errno != 0 ? errno : EIO) : 0;
    fclose(file);
    return *error == 0 && (count == 0 || start == signature);
}

#ifndef _WIN32
// Where `path` leads, one symlink at a time (the file need not exist
// yet). A symlink is not followed where it lies in a sticky folder and
// belongs neither to us nor to the folder's owner: anyone may put one
// there, and it could lead a root's report onto any file.
bool FollowLinks(const std::string& path, std::string* target, bool* crossed,
                 std::string* problem) {
    std::string at = path;
    for (int hops = 0;; hops++) {
        struct stat link;
        if (lstat(at.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            break;
        }
        std::string folder = FolderOf(at);
        struct stat status;
        if (hops == 40 || stat(folder.c_str(), &status) != 0) {
            *problem = Failure(path, hops == 40 ? ELOOP : errno);
            return false;
        }
        if ((status.st_mode & S_ISVTX) && link.st_uid != geteuid() &&
            link.st_uid != status.st_uid) {
            *problem = path + ": not followed: " + (at == path ? "it" : at) +
                       " is a symlink of another user (uid " + std::to_string(link.st_uid) +
                       ") in the sticky folder " + folder;
            return false;
        }
        char next[PATH_MAX];
        ssize_t length = readlink(at.c_str(), next, sizeof next - 1);
        if (length <= 0) {
            *problem = Failure(path, length < 0 ? errno : ENOENT);
            return false;
        }
        size_t slash = at.rfind('/');
        at = next[0] == '/' || slash == std::string::npos
                 ? std::string(next, static_cast<size_t>(length))
                 : at.substr(0, slash + 1) + std::string(next, static_cast<size_t>(length));
        *crossed = true;
    }
    *target = at;
    return true;
}

// The system opens `path` to the file `target` names, or to none where
// there is none: it follows the symlinks by its own rules, and may refuse.
bool SystemAgrees(const std::string& path, const std::string& target, std::string* problem) {
#ifdef O_PATH
    int descriptor = open(path.c_str(), O_PATH | O_CLOEXEC);
#else
    int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
#endif
    struct stat opened, found;
    bool agrees;
    if (descriptor < 0) {
        if (errno != ENOENT) {
            *problem = Failure(path, errno);
            return false;
        }
        agrees = lstat(target.c_str(), &found) != 0;
    } else {
        agrees = fstat(descriptor, &opened) == 0 && stat(target.c_str(), &found) == 0 &&
                 opened.st_dev == found.st_dev && opened.st_ino == found.st_ino;
        close(descriptor);
    }
    if (!agrees) {
        *problem = path + ": changed while its symlinks were followed";
    }
    return agrees;
}
#endif

}  // namespace

bool FindFileTarget(const std::string& path, const std::string& signature, FileTarget* target,
                    std::string* problem) {
    *target = FileTarget();
    bool readOnly = false;
    long long size = 0;
#ifdef _WIN32
    target->path = path;
    HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION information = {};
        target->exists = true;
        target->regular = GetFileType(handle) == FILE_TYPE_DISK &&
                          GetFileInformationByHandle(handle, &information) &&
                          !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        CloseHandle(handle);
        if (target->regular) {
            readOnly = (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
            size = static_cast<long long>(information.nFileSizeHigh) << 32 |
                   information.nFileSizeLow;
        }
    }
#else
    bool crossed = false;
    if (!FollowLinks(path, &target->path, &crossed, problem) ||
        (crossed && !SystemAgrees(path, target->path, problem))) {
        return false;
    }
    struct stat status;
    if (stat(target->path.c_str(), &status) == 0) {
        target->exists = true;
        target->regular = S_ISREG(status.st_mode);
        target->mode = status.st_mode & 07777;
        target->owner = status.st_uid;
        target->group = status.st_gid;
        // By its mode, for root as well: a page made read-only stays as it is.
        readOnly = (status.st_mode & 0222) == 0 ||
                   faccessat(AT_FDCWD, target->path.c_str(), W_OK, AT_EACCESS) != 0;
        size = status.st_size;
    }
#endif
    target->folder = FolderOf(target->path);
    if (!target->exists || !target->regular) {
        return true;
    }
    if (readOnly) {
        *problem = path + ": Permission denied: the file is read-only";
        return false;
    }
    int error = 0;
    if (!signature.empty() && size > 0 && !BeginsWith(target->path, signature, &error)) {
        *problem = error != 0 ? Failure(path, error)
                              : path + ": not replaced: it is not a page tolvane-report wrote";
        return false;
    }
    return true;
}
