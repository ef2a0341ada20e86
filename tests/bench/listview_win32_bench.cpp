// Speed of the list view: rows of 6 columns filled through LISTVIEW::InsertRecordText and sorted
// with the default compare (SortByColumn on column 0), beside a bare "SysListView32" filled in
// the same run through an LVM_INSERTITEMW / LVM_SETITEMTEXTW loop and sorted with one sort
// message on column 0 whose compare takes the rows' texts read just before.  Redraw is off for
// both.  The bare sort is LVM_SORTITEMS by the rows' item data: under Wine the indexes that
// LVM_SORTITEMSEX hands its compare are places in the sort's working copy, not rows that a
// compare can read (its order came out wrong).
// Column 0 repeats names in different case, so the ties on it are broken by column 1 in both.
//
// Prints figures and fails only when the two lists end in different orders, never on time.
//
//   listview_win32_bench [rows]   (default 10000)
#include <windows.h>
#include <commctrl.h>

#include "kestar/windowing/listview.h"
#include "kestar/windowing/listviewtext.h"
#include "kestar/windowing/window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kColumns = 6;
const int kRounds = 3;

double NowSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Deterministic rows: names in mixed case, a unique number, four more fields.
std::vector<std::string> MakeRows(int count)
{
    static const char *names[] = {"Smith", "Jones", "Miller", "Weber", "Schulz", "Wagner", "Becker", "Hoffmann",
                                  "Koch", "Richter", "Klein", "Wolf", "Neumann", "Braun", "Zimmermann", "Kr\xFCger"};
    static const char *places[] = {"Berlin", "Hamburg", "M\xFCnchen", "K\xF6ln", "Frankfurt", "Stuttgart"};
    unsigned seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    std::vector<int> numbers(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        numbers[static_cast<size_t>(i)] = i;
    for (int i = count - 1; i > 0; --i)
        std::swap(numbers[static_cast<size_t>(i)], numbers[static_cast<size_t>((next() << 15 | next()) % (i + 1))]);
    std::vector<std::string> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string name = names[next() % 16];
        for (char &c : name) {
            if (next() % 4 == 0)
                c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : (c >= 'A' && c <= 'Z' ? c + 32 : c));
        }
        char line[256];
        std::snprintf(line, sizeof line, "%s\t%07d\t%s\t+49 30 %06u\t%u calls\tnote %d", name.c_str(),
                      numbers[static_cast<size_t>(i)], places[next() % 6], next() * 31u % 1000000u, next() % 100, i);
        rows.push_back(line);
    }
    return rows;
}

std::string RowText(HWND list, int row, int column)
{
    char text[LISTVIEWTEXT::FIELD_CHARACTERS + 1] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

// The reference's compare gets the rows' item data, their numbers in the texts read before the
// sort: column 0, then column 1.
struct BARETEXTS {
    std::vector<std::string> First, Second;
};

int CALLBACK BareCompare(LPARAM row1, LPARAM row2, LPARAM context)
{
    const BARETEXTS *texts = reinterpret_cast<const BARETEXTS *>(context);
    size_t a = static_cast<size_t>(row1), b = static_cast<size_t>(row2);
    return LISTVIEWTEXT::CompareRows(texts->First[a].c_str(), texts->First[b].c_str(), texts->Second[a].c_str(),
                                     texts->Second[b].c_str(), 0);
}

std::vector<std::wstring> Fields(const std::string &row)
{
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = row.find('\t', start);
        std::string field = row.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        int length = MultiByteToWideChar(CP_ACP, 0, field.c_str(), -1, nullptr, 0);
        std::wstring wide(static_cast<size_t>(length), L'\0');
        MultiByteToWideChar(CP_ACP, 0, field.c_str(), -1, &wide[0], length);
        wide.resize(static_cast<size_t>(length > 0 ? length - 1 : 0));
        fields.push_back(wide);
        if (tab == std::string::npos)
            break;
        start = tab + 1;
    }
    return fields;
}

struct TIMES {
    double Fill = 1e9, Sort = 1e9;
};

void Keep(TIMES &best, double fill, double sort)
{
    best.Fill = std::min(best.Fill, fill);
    best.Sort = std::min(best.Sort, sort);
}

void Report(const char *measure, int rows, double ours, double bare)
{
    std::printf("BENCH LISTVIEW %s %d rows x %d | %.3f s | %.3f s | %.2f | -\n", measure, rows, kColumns, ours, bare,
                bare > 0 ? ours / bare : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (rows < 2)
        rows = 2;
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    WINDOW host(WS_OVERLAPPEDWINDOW | WS_VISIBLE, "List view bench", 20, 20, 800, 500, nullptr, 0, 0);
    if (!host.IsValid()) {
        std::printf("no host window\n");
        return 2;
    }
    std::vector<std::string> data = MakeRows(rows);
    std::vector<std::vector<std::wstring>> wide;
    for (const std::string &row : data)
        wide.push_back(Fields(row));

    TIMES ours, bare;
    bool agree = true;
    for (int round = 0; round < kRounds; ++round) {
        // Ours.
        LISTVIEW list(WS_VISIBLE, 0, 0, 780, 460, host.hWnd, 100, 0);
        for (int c = 0; c < kColumns; ++c)
            list.InsertColumnText(c, "Column", 100);
        SendMessageA(list.hWnd, WM_SETREDRAW, FALSE, 0);
        double t0 = NowSeconds();
        for (int i = 0; i < rows; ++i)
            list.InsertRecordText(i, -1, data[static_cast<size_t>(i)].c_str());
        double t1 = NowSeconds();
        list.SortByColumn(0, 0, LISTVIEW::DefaultCompare, nullptr);
        double t2 = NowSeconds();
        Keep(ours, t1 - t0, t2 - t1);

        // The bare control.
        HWND plain = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 780, 460,
                                     host.hWnd, reinterpret_cast<HMENU>(101), GetModuleHandleW(nullptr), nullptr);
        wchar_t title[] = L"Column";
        for (int c = 0; c < kColumns; ++c) {
            LVCOLUMNW column = {};
            column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
            column.cx = 100;
            column.pszText = title;
            column.iSubItem = c;
            SendMessageW(plain, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
        }
        SendMessageW(plain, WM_SETREDRAW, FALSE, 0);
        double u0 = NowSeconds();
        for (int i = 0; i < rows; ++i) {
            std::vector<std::wstring> &fields = wide[static_cast<size_t>(i)];
            LVITEMW item = {};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = i;
            item.pszText = &fields[0][0];
            item.lParam = i;
            int row = static_cast<int>(SendMessageW(plain, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            for (size_t c = 1; c < fields.size(); ++c) {
                LVITEMW sub = {};
                sub.iSubItem = static_cast<int>(c);
                sub.pszText = &fields[c][0];
                SendMessageW(plain, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
            }
        }
        double u1 = NowSeconds();
        // The rows are still in the order of their item data, 0 to rows - 1.
        BARETEXTS texts;
        for (int i = 0; i < rows; ++i) {
            texts.First.push_back(RowText(plain, i, 0));
            texts.Second.push_back(RowText(plain, i, 1));
        }
        SendMessageW(plain, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&texts), reinterpret_cast<LPARAM>(BareCompare));
        double u2 = NowSeconds();
        Keep(bare, u1 - u0, u2 - u1);

        // Both must end in the same order.
        for (int row = 0; row < rows && agree; ++row) {
            LVITEMW item = {};
            item.mask = LVIF_PARAM;
            item.iItem = row;
            SendMessageW(plain, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            if (list.GetHandle(row, false) != static_cast<int>(item.lParam)) {
                std::printf("orders differ at row %d: %d (%s) and %d (%s)\n", row, list.GetHandle(row, false),
                            data[static_cast<size_t>(list.GetHandle(row, false))].c_str(),
                            static_cast<int>(item.lParam), data[static_cast<size_t>(item.lParam)].c_str());
                agree = false;
            }
        }
        if (list.GetItemCount() != rows || SendMessageW(plain, LVM_GETITEMCOUNT, 0, 0) != rows) {
            std::printf("rows missing: %d and %d of %d\n", list.GetItemCount(),
                        static_cast<int>(SendMessageW(plain, LVM_GETITEMCOUNT, 0, 0)), rows);
            agree = false;
        }
        DestroyWindow(plain);
        WINDOW::WinProcessMessages(1000);
    }

    std::printf("fill %d rows of %d columns: LISTVIEW %.3f s, bare control %.3f s\n", rows, kColumns, ours.Fill,
                bare.Fill);
    std::printf("sort by column 0: LISTVIEW %.3f s, bare control %.3f s\n", ours.Sort, bare.Sort);
    Report("InsertRecordText", rows, ours.Fill, bare.Fill);
    Report("SortByColumn", rows, ours.Sort, bare.Sort);
    if (!agree) {
        std::printf("the two lists end in different orders\n");
        return 1;
    }
    std::printf("orders agree\n");
    return 0;
}
