#pragma once
// The Effects page: the effect tree (12 groups, 127 leaves, a check box on every node), "+" and "-",
// "Select All" and "Disable All", the demonstration panel and the effect speed.
//
// The tree is filled from the show settings when the window asks (the first time the page is shown after
// opening or loading a project); until then, and while filling, check box changes do nothing. Once filled,
// every tick reports changed(), and a group's tick is passed on to its leaves (a leaf's tick leaves its
// group alone). A click on a node asks for a demonstration of its effect (a group: its first leaf, and the
// group opens or closes). Main thread only.

#include "builder/builder_page.h"
#include "show/settings/show_settings.h"

#include <functional>
#include <utility>
#include <vector>

class QFrame;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace vorlin::builder {

class EffectsPage : public BuilderPage {
    Q_OBJECT
public:
    explicit EffectsPage(HandlerGuard guard, QWidget* parent = nullptr);

    // Unticks every node, numbers every leaf from the effect catalogue beside the program and ticks the
    // leaves whose effect is enabled, with their groups. Marks the tree loaded.
    void FillTree(const show::ShowSettingsFile& settings);
    // The leaves in tree order: effect number and tick.
    std::vector<std::pair<int, bool>> Leaves() const;

    // ---- handlers
    void StyleListClick(QTreeWidgetItem* item);
    void StyleListChange(QTreeWidgetItem* item);
    void SelectAllBClick() { TickAll(Qt::Checked); }
    void DisableAllBClick() { TickAll(Qt::Unchecked); }
    void ExpandBClick();
    void CollapseBClick();

    // 0 until the tree is filled from the settings; loading a project clears it again.
    bool TreeLoaded = false;

    // The demonstration's panel and the effect speed; other widgets are found by their object names
    // ("StyleList", "SelectAllB", "DisableAllB", "ExpandB", "CollapseB").
    QFrame* fsPanel2() const { return FPanel2; }
    QSpinBox* SpeedEdit() const { return FSpeedEdit; }

signals:
    void changed();
    // Demonstrate the effect with this number.
    void demonstrate(int effectNumber);

private:
    // The one walk over the tree: every leaf in tree order with its group.
    void forEachLeaf(const std::function<void(QTreeWidgetItem* group, QTreeWidgetItem* leaf)>& fn) const;
    void TickAll(Qt::CheckState state);

    QTreeWidget* FStyleList = nullptr;
    QFrame* FPanel2 = nullptr;
    QSpinBox* FSpeedEdit = nullptr;
    bool FFillingTree = false;
};

} // namespace vorlin::builder
