#pragma once
// An output sink that keeps the builder's lines (as UTF-8) for the tests to compare, and the
// conversion it uses.

#include "engine/files/OutputSink.h"
#include "framework/String.h"

#include <string>
#include <vector>

// The text as UTF-8, for comparing with the tests' literals and for failure messages.
inline std::string Utf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

inline std::string Utf8(const CString& text) { return Utf8(text.GetString()); }

class RecordingOutput : public IOutputSink {
public:
    void Clear() override { ++clears; }
    LRESULT AppendLine(const wchar_t* line) override
    {
        Append(Utf8(line));
        return 0;
    }
    virtual void Append(const std::string& line) { lines.push_back(line); }

    int clears = 0;
    std::vector<std::string> lines;
};
