#pragma once
// Run-time loading of shared modules by their Windows file names.
//
// "NAME.dll" and "NAME.cpl" (any letter case) name the module "libname.so" (lower case) in the same folder;
// any other name is used as it is. A name with a folder is loaded from exactly there. A bare name searches,
// in order, the program folder, the system folder and then the dynamic linker's own paths, the order in
// which the original platform searches for a module it is asked for by name.
//
// A Library unloads its module when it is destroyed; pointers from symbol() are valid until then.

#include <memory>
#include <string>

namespace vorlin::platform {

// "C:/x/MPR.DLL" -> "C:/x/libmpr.so"; "Password.Cpl" -> "libpassword.so"; "libfoo.so" -> "libfoo.so".
std::string mapLibraryName(const std::string& name);

class Library {
public:
    // Loads the module that `name` maps to. Returns nullptr when it cannot be found or loaded; the
    // loader's message for the last attempt goes to `error` when given.
    static std::unique_ptr<Library> load(const std::string& name, std::string* error = nullptr);

    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // The address of an exported entry, or nullptr when the module does not export it.
    void* symbol(const char* name) const;

    // The entry cast to a function pointer type, e.g. lib->function<int (*)(const char*)>("Foo").
    template <class F> F function(const char* name) const { return reinterpret_cast<F>(symbol(name)); }

    // The file the module was loaded from (as passed to the loader).
    const std::string& path() const { return path_; }

private:
    Library(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    void* handle_;
    std::string path_;
};

} // namespace vorlin::platform
