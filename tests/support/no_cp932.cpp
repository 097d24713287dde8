// Preloaded into a program under test: the system's converter then lacks code page 932, as on
// a system whose converter modules are incomplete.
#include <dlfcn.h>
#include <iconv.h>

#include <cerrno>
#include <cstring>

extern "C" iconv_t iconv_open(const char* to, const char* from) {
    if (std::strstr(to, "932") || std::strstr(from, "932")) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    using Open = iconv_t (*)(const char*, const char*);
    static const auto real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "iconv_open"));
    return real(to, from);
}
