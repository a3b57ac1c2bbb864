#pragma once
// The SMS list's tick logic over the real tree-view control.

#include "sms/sms_ticks.h"
#include "ui/ui_types.h"

class TreeViewChecks : public CheckTree {
  public:
    explicit TreeViewChecks(HWND tree) : tree_(tree) {}

    CheckItem Relative(CheckItem item, TreeRelation relation) override;
    std::uint32_t State(CheckItem item) override;
    void SetState(CheckItem item, std::uint32_t state) override;
    CheckItem Insert(CheckItem parent, std::u16string_view label) override;

  private:
    HWND tree_;
};
