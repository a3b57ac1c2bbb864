// Controls as the dialogs drive them: the check-box tree with its click protocol, the progress
// bar's messages, combo boxes, and the dialog's scroll bar.

#include "ui/controls.h"
#include "app/resource_ids.h"
#include "gui_test_support.h"
#include "ui/dialog.h"

namespace {

constexpr std::uint32_t kCheckClicked = WM_USER + 100;

// A dialog whose behaviour is given per test.
std::function<LRESULT(HWND, std::uint32_t, WPARAM, LPARAM)> g_proc;
LRESULT Forward(HWND dlg, std::uint32_t msg, WPARAM w, LPARAM l) {
    if (msg == WM_INITDIALOG) SHInitDialog(dlg, SHIDIF_STANDARD);
    return g_proc ? g_proc(dlg, msg, w, l) : FALSE;
}

class ControlsTest : public GuiTest {
  protected:
    void TearDown() override {
        g_proc = nullptr;
        GuiTest::TearDown();
    }
};

TEST_F(ControlsTest, TreeCheckBoxClickTogglesThenNotifiesWithItsScreenPosition) {
    struct Seen {
        std::uint32_t flags = 0;
        HTREEITEM hit = nullptr;
        bool tickedWhenPostedArrived = true;
        int posted = 0;
    } seen;
    HTREEITEM root = nullptr, folder = nullptr, first = nullptr, second = nullptr;
    g_proc = [&](HWND dlg, std::uint32_t msg, WPARAM, LPARAM l) -> LRESULT {
        HWND tree = GetDlgItem(dlg, kSmsList);
        if (msg == WM_INITDIALOG) {
            MoveWindow(tree, 10, 10, 400, 300, false);
            root = TreeInsertItem(tree, nullptr, u"Root (0)", kStateTicked, TVIS_STATEIMAGEMASK);
            folder = TreeInsertItem(tree, root, u"Inbox (2)", kStateTicked, TVIS_STATEIMAGEMASK);
            first = TreeInsertItem(tree, folder, u"[From:\"Anna\" <+111>]Hi", kStateTicked,
                                   TVIS_STATEIMAGEMASK);
            second = TreeInsertItem(tree, folder, u"Bye", kStateUnticked, TVIS_STATEIMAGEMASK);
            TreeExpand(tree, root, true);
            TreeExpand(tree, folder, true);
        } else if (msg == WM_NOTIFY) {
            const auto* header = reinterpret_cast<const NMHDR*>(l);
            if (header->code != NM_CLICK) return FALSE;
            TVHITTESTINFO info;
            info.pt = ScreenToClient(header->hwndFrom, header->ptScreen);
            TreeHitTest(header->hwndFrom, info);
            seen.flags = info.flags;
            seen.hit = info.hItem;
            if ((info.flags & TVHT_ONITEMSTATEICON) != 0) {
                PostMessage(dlg, kCheckClicked, 0, reinterpret_cast<LPARAM>(info.hItem));
            }
        } else if (msg == kCheckClicked) {
            ++seen.posted;
            seen.tickedWhenPostedArrived = Ticked(tree, reinterpret_cast<HTREEITEM>(l));
        }
        return FALSE;
    };
    RunSteps({[&] {
        HWND tree = GetDlgItem(TopDialog(), kSmsList);
        EXPECT_EQ(TreeGetCount(tree), 4);
        EXPECT_EQ(TreeGetNextItem(tree, nullptr, TVGN_ROOT), root);
        EXPECT_EQ(TreeGetNextItem(tree, root, TVGN_CHILD), folder);
        EXPECT_EQ(TreeGetNextItem(tree, first, TVGN_NEXT), second);
        EXPECT_EQ(TreeGetNextItem(tree, second, TVGN_PREVIOUS), first);
        EXPECT_EQ(TreeGetNextItem(tree, second, TVGN_NEXT), nullptr);
        EXPECT_EQ(TreeGetNextItem(tree, first, TVGN_PREVIOUS), nullptr);
        EXPECT_EQ(TreeGetNextItem(tree, second, TVGN_PARENT), folder);
        EXPECT_EQ(TreeGetNextItem(tree, root, TVGN_PARENT), nullptr);
        EXPECT_FALSE(Ticked(tree, second));

        ASSERT_TRUE(ClickTreeCheckBox(tree, first));
        EXPECT_EQ(seen.flags, TVHT_ONITEMSTATEICON);
        EXPECT_EQ(seen.hit, first);
        EXPECT_TRUE(WaitUntil([&] { return seen.posted == 1; }));
        // The handler runs after the tree's own toggle and reads the new state.
        EXPECT_FALSE(seen.tickedWhenPostedArrived);

        ASSERT_TRUE(ClickTreeItemText(tree, second));
        EXPECT_EQ(seen.hit, second);
        EXPECT_EQ(seen.flags, TVHT_ONITEMLABEL);
        ProcessPendingEvents();
        EXPECT_EQ(seen.posted, 1);
        EXPECT_FALSE(Ticked(tree, second));

        ASSERT_TRUE(TreeSetItemState(tree, second, kStateTicked, TVIS_STATEIMAGEMASK));
        EXPECT_TRUE(Ticked(tree, second));
        ASSERT_TRUE(TreeDeleteAllItems(tree));
        EXPECT_EQ(TreeGetCount(tree), 0);
        // Handles of deleted items are refused, not followed.
        EXPECT_EQ(TreeGetItemState(tree, second, TVIS_STATEIMAGEMASK), 0u);
        EXPECT_FALSE(TreeSetItemState(tree, second, kStateTicked, TVIS_STATEIMAGEMASK));
        EXPECT_EQ(TreeInsertItem(tree, folder, u"x", kStateTicked, TVIS_STATEIMAGEMASK), nullptr);
        EndDialog(TopDialog(), 0);
    }});
    DialogBoxParam(138, nullptr, Forward, 1);
}

TEST(ProgressBarMessages, FollowThePlatformBar) {
    EnsureApplication();
    struct Case {
        const char* name;
        std::vector<std::tuple<std::uint32_t, WPARAM, LPARAM>> messages;
        int pos, max;
    } cases[] = {
        {"range then steps",
         {{PBM_SETRANGE, 0, ProgressRangeParam(10)},
          {PBM_SETSTEP, 1, 0},
          {PBM_STEPIT, 0, 0},
          {PBM_STEPIT, 0, 0}},
         2,
         10},
        {"a step past the end starts over",
         {{PBM_SETRANGE, 0, ProgressRangeParam(2)},
          {PBM_SETSTEP, 1, 0},
          {PBM_STEPIT, 0, 0},
          {PBM_STEPIT, 0, 0},
          {PBM_STEPIT, 0, 0}},
         0,
         2},
        {"position is kept in range",
         {{PBM_SETRANGE, 0, ProgressRangeParam(1000)}, {PBM_SETPOS, 5000, 0}},
         1000,
         1000},
        {"only the low 16 bits of a total count",
         {{PBM_SETRANGE, 0, ProgressRangeParam(65537)}, {PBM_SETPOS, 1, 0}},
         1,
         1},
    };
    SHInitExtraControls();
    for (const Case& c : cases) {
        ProgressBarState state;
        auto proc = [&](HWND dlg, std::uint32_t msg, WPARAM, LPARAM) -> LRESULT {
            if (msg != WM_INITDIALOG) return FALSE;
            HWND w = CreateControl(dlg, u"msctls_progress32", u"", WS_CHILD | WS_VISIBLE, 0, 0, 100,
                                   20, 0);
            for (const auto& [m, wp, lp] : c.messages)
                ProgressBarOf(w)->Send(m, wp, lp);
            state = GetProgressBarState(w);
            EndDialog(dlg, 0);
            return TRUE;
        };
        DialogBoxParam(102, nullptr, proc, 0);
        EXPECT_EQ(state.pos, c.pos) << c.name;
        EXPECT_EQ(state.max, c.max) << c.name;
    }
}

TEST_F(ControlsTest, CombosKeepNoSelectionUntilChosenAndSortWhenAsked) {
    g_proc = [&](HWND dlg, std::uint32_t msg, WPARAM, LPARAM) -> LRESULT {
        if (msg != WM_INITDIALOG) return FALSE;
        HWND sorted = GetDlgItem(dlg, kSortBox);
        EXPECT_EQ(ComboAddString(sorted, u"Sender/Recipients Name"), 0);
        EXPECT_EQ(ComboAddString(sorted, u"date and time"), 0);  // sorts first, case ignored
        EXPECT_EQ(ComboGetCurSel(sorted), CB_ERR);
        EXPECT_EQ(ComboSetCurSel(sorted, 1), 1);
        EXPECT_EQ(ComboAddString(sorted, u"Always"), 0);
        EXPECT_EQ(ComboGetCurSel(sorted), 2) << "the selection follows its item";
        EXPECT_EQ(ComboSetCurSel(sorted, 3), CB_ERR);
        EXPECT_EQ(ComboGetCurSel(sorted), CB_ERR) << "an index outside the list clears it";
        EXPECT_EQ(ComboGetItemText(sorted, 1), u"date and time");
        EndDialog(dlg, 0);
        return TRUE;
    };
    DialogBoxParam(139, nullptr, Forward, 0);
}

TEST_F(ControlsTest, ScrollBarIsTheHandlersAndScrollingMovesChildrenOnlyWhenAsked) {
    std::vector<int> codes;
    g_proc = [&](HWND, std::uint32_t msg, WPARAM w, LPARAM) -> LRESULT {
        if (msg == WM_VSCROLL) codes.push_back(LOWORD(w));
        return FALSE;
    };
    RunSteps({[&] {
        HWND dlg = TopDialog();
        const int fullWidth = GetClientRect(dlg).Width();
        SetWindowStyle(dlg, GetWindowStyle(dlg) | WS_VSCROLL);
        EXPECT_LT(GetClientRect(dlg).Width(), fullWidth);
        SCROLLINFO info;
        info.fMask = SIF_ALL;
        info.nMax = 150;
        info.nPage = 100;
        info.nPos = 400;
        EXPECT_EQ(SetScrollInfo(dlg, SB_VERT, info, false), 51) << "clamped to max - page + 1";
        EXPECT_EQ(SetScrollPos(dlg, SB_VERT, 20, true), 51);
        SCROLLINFO read;
        read.fMask = SIF_ALL;
        ASSERT_TRUE(GetScrollInfo(dlg, SB_VERT, read));
        EXPECT_EQ(read.nMax, 150);
        EXPECT_EQ(read.nPage, 100u);
        EXPECT_EQ(read.nPos, 20);

        HWND button = GetDlgItem(dlg, kSmsChangePath);
        const RECT before = GetWindowRect(button);
        ScrollWindowEx(dlg, 0, 20, SW_INVALIDATE);
        EXPECT_EQ(GetWindowRect(button), before);
        ScrollWindowEx(dlg, 0, 20, SW_SCROLLCHILDREN);
        EXPECT_EQ(GetWindowRect(button).top, before.top + 20);
        SetWindowStyle(dlg, GetWindowStyle(dlg) & ~WS_VSCROLL);
        EXPECT_EQ(GetClientRect(dlg).Width(), fullWidth);
        EndDialog(dlg, 0);
    }});
    DialogBoxParam(138, nullptr, Forward, 1);
    EXPECT_TRUE(codes.empty()) << "the bar reports user actions only";
}

}  // namespace
