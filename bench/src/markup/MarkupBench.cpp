// A markup document of about 10,000 elements: a page holding a stack of 1,000 grid rows, each
// with an Auto and a star column, a border and a wrapping text block with a bold run and a
// hyperlink. Timed, each the best of five: parsing it; parsing the same text as XML with the
// platform's DOM document for comparison; the first measure and arrange at 1024 wide; the
// relayout after one run's text changes; and a 1024 x 768 render with GDI+ running. Ends with
//   markup 10k: parse <p> ms (<r>x MSXML), layout <l> ms, relayout <c> ms, render <d> ms
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupGrid.h"
#include "toolkit/markup/XTPMarkupInline.h"
#include "toolkit/markup/XTPMarkupTextBlock.h"
#include "toolkit/markup/XTPMarkupUIElement.h"

#include <msxml2.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 1000;
constexpr int kRounds = 5;

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Best(const std::function<double()>& round)
{
    double best = 1e30;
    for (int i = 0; i < kRounds; ++i)
        best = std::min(best, round());
    return best;
}

std::wstring MakeDocument(int* elements)
{
    std::wstring text = L"<Page><StackPanel>";
    *elements = 2;
    for (int i = 0; i < kRows; ++i) {
        const std::wstring n = std::to_wstring(i);
        text += L"<Grid><Grid.ColumnDefinitions><ColumnDefinition Width='Auto'/><ColumnDefinition Width='*'/>"
                L"</Grid.ColumnDefinitions>"
                L"<Border Width='16' Height='16' Margin='2' Background='#FF3366CC' BorderBrush='Black' "
                L"BorderThickness='1'/>"
                L"<TextBlock Grid.Column='1' TextWrapping='Wrap'>Row " + n +
                L" keeps a line of text long enough to wrap when the window is narrow, <Bold>a bold part " + n +
                L"</Bold> and then <Hyperlink>a link to item " + n + L"</Hyperlink></TextBlock></Grid>";
        // Grid, collection, two definitions, border, text block, run, bold, its run, run,
        // hyperlink, its run.
        *elements += 12;
    }
    text += L"</StackPanel></Page>";
    return text;
}

double ParseWithDom(const std::wstring& text)
{
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.6.0", &clsid)) &&
        FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid)))
        return -1;
    BSTR source = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    const double best = Best([&] {
        IXMLDOMDocument* document = nullptr;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                    reinterpret_cast<void**>(&document))))
            return 1e30;
        const double start = Now();
        VARIANT_BOOL ok = VARIANT_FALSE;
        document->loadXML(source, &ok);
        const double took = Now() - start;
        document->Release();
        return ok == VARIANT_TRUE ? took : 1e30;
    });
    SysFreeString(source);
    return best;
}

// The first run of the row's text block.
CXTPMarkupRun* RowRun(CXTPMarkupUIElement* root, int row)
{
    CXTPMarkupUIElement* stack = MarkupDynamicCast<CXTPMarkupUIElement>(root->GetVisualChild(0));
    auto* grid = MarkupDynamicCast<CXTPMarkupGrid>(stack ? stack->GetVisualChild(row) : nullptr);
    auto* block = MarkupDynamicCast<CXTPMarkupTextBlock>(grid ? grid->GetVisualChild(1) : nullptr);
    return block ? MarkupDynamicCast<CXTPMarkupRun>(block->GetInlines()->GetItem(0)) : nullptr;
}

} // namespace

int main()
{
    CoInitialize(nullptr);
    CXTPMarkupContext* context = CreateMarkupContext(nullptr);
    int elements = 0;
    const std::wstring text = MakeDocument(&elements);

    const double parse = Best([&] {
        const double start = Now();
        CXTPMarkupUIElement* root = context->Parse(text.c_str());
        const double took = Now() - start;
        if (!root)
            return 1e30;
        root->Release();
        return took;
    });
    const double dom = ParseWithDom(text);

    double layout = 1e30, relayout = 1e30, render = 1e30;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1024, 768);
    HGDIOBJ old = SelectObject(memory, bitmap);
    for (int round = 0; round < kRounds; ++round) {
        CXTPMarkupUIElement* root = context->Parse(text.c_str());
        if (!root) {
            std::printf("bench_markup: the document does not parse\n");
            return 1;
        }
        {
            const double start = Now();
            CXTPMarkupDrawingContext dc(context);
            root->Measure(&dc, 1024, 768);
            root->Arrange(RECT{0, 0, 1024, 768});
            layout = std::min(layout, Now() - start);
        }
        {
            CXTPMarkupRun* run = RowRun(root, kRows / 2);
            const double start = Now();
            if (run)
                run->SetText(round % 2 ? L"A changed and somewhat longer line of text in the middle row, to wrap"
                                       : L"Changed");
            CXTPMarkupDrawingContext dc(context);
            root->Measure(&dc, 1024, 768);
            root->Arrange(RECT{0, 0, 1024, 768});
            relayout = std::min(relayout, Now() - start);
            if (!run)
                relayout = 1e30;
        }
        {
            const double start = Now();
            CXTPMarkupDrawingContext dc(context, memory, nullptr);
            root->Render(&dc);
            GdiFlush();
            render = std::min(render, Now() - start);
        }
        root->Release();
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const bool gdiPlus = MarkupGdiPlus::IsRunning();
    ReleaseMarkupContext(&context);
    CoUninitialize();

    std::printf("document: %d characters, about %d elements; GDI+ %s\n", static_cast<int>(text.size()), elements,
                gdiPlus ? "running" : "not running");
    std::printf("markup 10k: parse %.1f ms (%.2fx MSXML), layout %.1f ms, relayout %.2f ms, render %.1f ms\n", parse,
                dom > 0 ? parse / dom : 0.0, layout, relayout, render);
    return 0;
}
