#include "utf8_output.h"

void WriteUtf8Line(DWORD standardHandle, const std::wstring& text)
{
    const std::wstring line = text + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size, nullptr,
                        nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(standardHandle), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
