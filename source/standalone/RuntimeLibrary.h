#pragma once

/** A shared library opened at run time, as the framework opens libjack and libX11, so that the app still
    starts where the library is missing. It stays loaded for the life of the process.
*/
class RuntimeLibrary
{
public:
    explicit RuntimeLibrary (const char* fileName);

    /** Points function at the library's symbol of that name; false, with function null, where the library
        or the symbol is missing.
    */
    template <typename Function>
    bool load (Function& function, const char* name) const
    {
        function = reinterpret_cast<Function> (findSymbol (name));
        return function != nullptr;
    }

private:
    void* findSymbol (const char* name) const;

    void* handle = nullptr;
};
