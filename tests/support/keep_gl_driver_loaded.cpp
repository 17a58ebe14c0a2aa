// Mesa unloads its driver when the last context goes; any allocation it keeps for the process
// then shows in the leak report as an unknown module that no suppression can name. Holding the
// driver loaded for the whole test run keeps its frames named, so tests/lsan.supp covers them.
#include <dlfcn.h>

#include <initializer_list>

namespace {
struct KeepGLDriverLoaded {
    KeepGLDriverLoaded() {
        for (const char* path : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
                                 "/usr/lib/x86_64-linux-gnu/dri/kms_swrast_dri.so"})
            dlopen(path, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
    }
};
KeepGLDriverLoaded g_keep;
}  // namespace
