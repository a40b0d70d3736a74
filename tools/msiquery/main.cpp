// msiquery: prints one piece of installer state for the tests, as one UTF-8 line.
//   msiquery state {PRODUCT}
//   msiquery info {PRODUCT} <attribute>
//   msiquery patchstate {PATCH} {PRODUCT} [machine|user]
//                                              (prints "error <code>" when there is no state;
//                                              per machine unless "user": the current user's
//                                              own, unmanaged, context)
//   msiquery property {PRODUCT} <property>
//   msiquery summary <package file> <property id>
//   msiquery versioninfo <file> <string name> | fixed
//   msiquery icon <file> <pixels>
// Exit code 0 with the value on stdout; 1 with a message on stderr when the query failed;
// 2 on bad usage.
#include <windows.h>
#include <msi.h>

#include <cwchar>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "file_version.h"
#include "program_icon.h"
#include "queries.h"
#include "platform/console_output_win.h"

namespace {

using Arguments = std::vector<std::wstring>;

struct Verb {
    const wchar_t* name;
    std::size_t argumentCount;
    std::function<Answer(const Arguments&)> query;
    // patchstate reports a missing state as its answer: the tests compare both.
    bool errorIsAnswer = false;
    std::size_t optionalCount = 0;  // arguments that may follow the required ones
};

// The context a patchstate query names; none for a word that names no context.
std::optional<MSIINSTALLCONTEXT> ContextNamed(const Arguments& a)
{
    if (a.size() < 3 || a[2] == L"machine")
        return MSIINSTALLCONTEXT_MACHINE;
    if (a[2] == L"user")
        return MSIINSTALLCONTEXT_USERUNMANAGED;
    return std::nullopt;
}

const std::vector<Verb>& Verbs()
{
    static const std::vector<Verb> verbs{
        {L"state", 1, [](const Arguments& a) { return ProductState(a[0]); }},
        {L"info", 2, [](const Arguments& a) { return ProductInfo(a[0], a[1]); }},
        {L"patchstate", 2,
         [](const Arguments& a) {
             const std::optional<MSIINSTALLCONTEXT> context = ContextNamed(a);
             return context ? PatchState(a[0], a[1], *context)
                            : Answer{ERROR_INVALID_PARAMETER, L"context " + a[2]};
         },
         true, 1},
        {L"property", 2, [](const Arguments& a) { return ProductProperty(a[0], a[1]); }},
        {L"summary", 2,
         [](const Arguments& a) { return SummaryProperty(a[0], static_cast<UINT>(std::wcstoul(a[1].c_str(), nullptr, 10))); }},
        {L"versioninfo", 2, [](const Arguments& a) { return FileVersionValue(a[0], a[1]); }},
        {L"icon", 2, [](const Arguments& a) { return ProgramIcon(a[0], std::wcstol(a[1].c_str(), nullptr, 10)); }},
    };
    return verbs;
}

int Report(const Verb& verb, const Answer& answer)
{
    if (answer.Found()) {
        WriteConsoleLine(STD_OUTPUT_HANDLE, answer.text);
        return 0;
    }
    if (verb.errorIsAnswer) {
        WriteConsoleLine(STD_OUTPUT_HANDLE, L"error " + std::to_wstring(answer.error));
        return 0;
    }
    WriteConsoleLine(STD_ERROR_HANDLE, L"msiquery: " + answer.text + L" failed: " + std::to_wstring(answer.error));
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const Arguments arguments(argv + 1, argv + argc);
    for (const Verb& verb : Verbs())
        if (!arguments.empty() && arguments[0] == verb.name && arguments.size() >= verb.argumentCount + 1 &&
            arguments.size() <= verb.argumentCount + verb.optionalCount + 1)
            return Report(verb, verb.query(Arguments(arguments.begin() + 1, arguments.end())));
    WriteConsoleLine(STD_ERROR_HANDLE,
                  L"usage: msiquery state {PRODUCT} | info {PRODUCT} <attribute> | patchstate {PATCH} {PRODUCT}"
                  L" [machine|user]"
                  L" | property {PRODUCT} <property> | summary <package> <property id>"
                  L" | versioninfo <file> <string name>|fixed | icon <file> <pixels>");
    return 2;
}
