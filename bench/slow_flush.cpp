// Preloaded into a program (LD_PRELOAD=libslow_flush.so), makes every flush to disk take two
// seconds, as on a slow or failing disk: for measuring that no flush holds up the window.
#include <dlfcn.h>
#include <unistd.h>

namespace {

int Slowly(const char* name, int fd) {
    ::sleep(2);
    const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, name));
    return real(fd);
}

} // namespace

extern "C" int fsync(int fd) {
    return Slowly("fsync", fd);
}

extern "C" int fdatasync(int fd) {
    return Slowly("fdatasync", fd);
}
