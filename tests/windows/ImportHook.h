#pragma once
// Points this program's own import of one system function at another function while the object
// lives, so that a test sees exactly what the code under test hands to the system.

namespace ImportHook {

class TImportHook {
public:
    // Dll as the import table names it (for example "kernel32.dll", any letter case).
    TImportHook(const char* Dll, const char* Function, void* Replacement);
    ~TImportHook();
    TImportHook(const TImportHook&) = delete;
    TImportHook& operator=(const TImportHook&) = delete;

    // False when this program does not import Function from Dll.
    bool Installed() const { return slot != nullptr; }
    // The system's own function, for a replacement that passes the call on.
    void* Original() const { return original; }

private:
    void** slot = nullptr;
    void* original = nullptr;
};

} // namespace ImportHook
