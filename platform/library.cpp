#include "platform/library.h"

#include "base/text.h"
#include "platform/program_path.h"
#include "platform/system_folder.h"

#include <dlfcn.h>

#include <vector>

namespace vorlin::platform {

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string joinFolder(const std::string& folder, const std::string& file) {
    if (folder.empty()) return file;
    return folder.back() == '/' ? folder + file : folder + "/" + file;
}

} // namespace

std::string mapLibraryName(const std::string& name) {
    const auto slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
    const auto dot = file.rfind('.');
    if (dot == std::string::npos || dot == 0) return name;
    const std::string ext = lower(file.substr(dot + 1));
    if (ext != "dll" && ext != "cpl") return name;
    return folder + "lib" + lower(file.substr(0, dot)) + ".so";
}

std::unique_ptr<Library> Library::load(const std::string& name, std::string* error) {
    const std::string mapped = mapLibraryName(name);
    std::vector<std::string> candidates;
    if (mapped.find('/') != std::string::npos) {
        candidates.push_back(mapped);
    } else {
        candidates.push_back(joinFolder(folderOf(programPath()), mapped));
        candidates.push_back(joinFolder(systemFolder(), mapped));
        candidates.push_back(mapped); // the dynamic linker's search
    }
    std::string lastError = "no such module: " + name;
    for (const auto& path : candidates) {
        if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            return std::unique_ptr<Library>(new Library(handle, path));
        }
        if (const char* e = dlerror()) lastError = e;
    }
    if (error) *error = lastError;
    return nullptr;
}

Library::~Library() {
    if (handle_) dlclose(handle_);
}

void* Library::symbol(const char* name) const {
    return handle_ && name ? dlsym(handle_, name) : nullptr;
}

} // namespace vorlin::platform
