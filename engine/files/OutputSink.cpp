#include "engine/files/OutputSink.h"

#include <atomic>

namespace {

std::atomic<HWND> g_outputWindow{nullptr};
std::atomic<IOutputSink*> g_sink{nullptr};

class CWindowOutputSink : public IOutputSink {
public:
    void Clear() override
    {
        if (HWND window = g_outputWindow.load())
            SendMessageW(window, WM_OUTPUT_CLEAR, 0, 0);
    }

    LRESULT AppendLine(const wchar_t* line) override
    {
        HWND window = g_outputWindow.load();
        if (!window || !line)
            return 0;
        return SendMessageW(window, WM_OUTPUT_APPEND, reinterpret_cast<WPARAM>(line), 0);
    }
};

CWindowOutputSink g_windowSink;

} // namespace

void SetOutputWindow(HWND window)
{
    g_outputWindow.store(window);
}

HWND GetOutputWindow()
{
    return g_outputWindow.load();
}

IOutputSink* SetOutputSink(IOutputSink* sink)
{
    IOutputSink* previous = g_sink.exchange(sink);
    return previous ? previous : &g_windowSink;
}

IOutputSink& GetOutputSink()
{
    IOutputSink* sink = g_sink.load();
    return sink ? *sink : g_windowSink;
}

void ClearOutput()
{
    GetOutputSink().Clear();
}

LRESULT AppendOutputLine(const wchar_t* line)
{
    return GetOutputSink().AppendLine(line);
}
