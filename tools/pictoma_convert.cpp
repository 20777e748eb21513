#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "Convert.h"

namespace {

namespace fs = std::filesystem;

// The Qt decoder module (other picture formats, PNG output), loaded on first use: beside the
// program in a build tree, or where the install rules put it. Linux-only (dlopen, /proc).
const pictoma::ConvertServices* LoadDecoder(std::string& why) {
    static pictoma::ConvertServices services;
    static std::string failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        std::error_code ec;
        const fs::path self = fs::read_symlink("/proc/self/exe", ec);
        const fs::path dir = ec ? fs::path(".") : self.parent_path();
        void* handle = nullptr;
        for (const fs::path& candidate :
             {dir / "pictoma-decode.so", dir / PICTOMA_DECODER_FROM_BIN / "pictoma-decode.so"}) {
            handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle) break;
            if (const char* e = ::dlerror()) failure = e;
        }
        using Entry = void (*)(pictoma::ConvertServices*);
        if (handle) {
            if (auto entry = reinterpret_cast<Entry>(::dlsym(handle, "pictoma_convert_services")))
                entry(&services);
            else
                failure = "the decoder module has no entry point";
        }
    }
    why = failure;
    return services.decode ? &services : nullptr;
}

pictoma::ConvertServices LazyServices() {
    pictoma::ConvertServices lazy;
    lazy.decode = [](const std::string& name, const std::vector<std::uint8_t>* bytes,
                     std::string& error) -> std::shared_ptr<const pictoma::PictureSource> {
        std::string why;
        const pictoma::ConvertServices* s = LoadDecoder(why);
        if (!s) {
            error = name +
                    ": cannot read this picture (the picture decoder could not be loaded: " + why +
                    ")";
            return nullptr;
        }
        return s->decode(name, bytes, error);
    };
    lazy.png = [](const pictoma::Picture& picture, int scale) {
        std::string why;
        const pictoma::ConvertServices* s = LoadDecoder(why);
        return s ? s->png(picture, scale) : std::string();
    };
    return lazy;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::ios::sync_with_stdio(false);
    return pictoma::RunConvert(args, std::cin, std::cout, std::cerr, LazyServices());
}
