// Stands in for the program a file type is registered to: writes the one argument it was given, as
// UTF-8, to the file named by QMQUERY_RECORD, so a test can see exactly what was handed over.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    const wchar_t* record = _wgetenv(L"QMQUERY_RECORD");
    if (!record || argc != 2)
        return 2;
    const int size = WideCharToMultiByte(CP_UTF8, 0, argv[1], -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, argv[1], -1, text.data(), size, nullptr, nullptr);
    FILE* out = _wfopen(record, L"wb");
    if (!out)
        return 1;
    std::fwrite(text.data(), 1, text.size(), out);
    return std::fclose(out) == 0 ? 0 : 1;
}
