/* The test programs that start another program: what follows the first `words` words of a
   command line, split as CommandLineToArgvW would (quotes group spaces). */
#pragma once
#include <wchar.h>

static const wchar_t *RestOfCommandLine(const wchar_t *line, int words)
{
    for (; words > 0; --words) {
        int quoted = 0;
        for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line)
            if (*line == L'"')
                quoted = !quoted;
        while (*line == L' ' || *line == L'\t')
            ++line;
    }
    return line;
}
