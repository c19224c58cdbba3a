#pragma once
// An output sink that keeps the lines it is given (as UTF-8) for the tests to compare: the
// builder and the monitor report through one.

#include "engine/files/OutputSink.h"
#include "framework/String.h"
#include "tests/support/TestSupport.h"

#include <string>
#include <vector>

class RecordingOutput : public IOutputSink {
public:
    void Clear() override { ++clears; }
    LRESULT AppendLine(const wchar_t* line) override
    {
        Append(testsupport::Utf8(line ? line : L""));
        return 0;
    }
    virtual void Append(const std::string& line) { lines.push_back(line); }

    int clears = 0;
    std::vector<std::string> lines;
};
