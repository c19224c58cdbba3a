#pragma once
// An output sink that keeps the builder's lines (as UTF-8) for the tests to compare.

#include "engine/files/OutputSink.h"

#include <string>
#include <vector>

class RecordingOutput : public IOutputSink {
public:
    void Clear() override { ++clears; }
    LRESULT AppendLine(const wchar_t* line) override
    {
        const int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
        std::string text(size > 0 ? size - 1 : 0, '\0');
        if (size > 1)
            WideCharToMultiByte(CP_UTF8, 0, line, -1, text.data(), size, nullptr, nullptr);
        Append(text);
        return 0;
    }
    virtual void Append(const std::string& line) { lines.push_back(line); }

    int clears = 0;
    std::vector<std::string> lines;
};
