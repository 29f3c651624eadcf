#include "builder/effects_page.h"

#include "data/effect_tree.h"

#include <QAbstractItemView>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorlin::builder {

namespace {

constexpr int kNumberRole = Qt::UserRole; // effect number of a tree leaf

const QString kNeverPlayedTip = "A screen saver never plays these effects: ticked, they play only in the "
                                "builder's own previews.";

} // namespace

EffectsPage::EffectsPage(HandlerGuard guard, QWidget* parent)
    : BuilderPage("EffectsPage", std::move(guard), parent) {
    auto* v = new QVBoxLayout(this);
    v->addWidget(new QLabel("Select transition effects:", this));
    auto* h = new QHBoxLayout;
    auto* treeColumn = new QVBoxLayout;
    FStyleList = new QTreeWidget(this);
    FStyleList->setObjectName("StyleList");
    FStyleList->setHeaderHidden(true);
    FStyleList->setRootIsDecorated(true);
    FStyleList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FStyleList->setUniformRowHeights(true);
    // Every node has its own check box; a group's box is never derived from its leaves.
    for (const auto& group : data::effectTree()) {
        auto* g = new QTreeWidgetItem(
            FStyleList, QStringList(QString::fromUtf8(group.caption.data(), group.caption.size())));
        g->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        g->setCheckState(0, Qt::Unchecked);
        for (const auto leaf : group.leaves) {
            auto* l = new QTreeWidgetItem(g, QStringList(QString::fromUtf8(leaf.data(), leaf.size())));
            l->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                        Qt::ItemNeverHasChildren);
            l->setCheckState(0, Qt::Unchecked);
            l->setData(0, kNumberRole, data::kMissingEffectNumber);
        }
    }
    treeColumn->addWidget(FStyleList, 1);
    auto* below = new QHBoxLayout;
    QPushButton* selectAll = button("Select All", "SelectAllB", this);
    QPushButton* disableAll = button("Disable All", "DisableAllB", this);
    below->addWidget(selectAll);
    below->addWidget(disableAll);
    treeColumn->addLayout(below);
    h->addLayout(treeColumn, 1);

    auto* side = new QVBoxLayout;
    auto* plusMinus = new QHBoxLayout;
    QPushButton* expand = button("+", "ExpandB", this);
    QPushButton* collapse = button("-", "CollapseB", this);
    expand->setFixedWidth(36);
    collapse->setFixedWidth(36);
    plusMinus->addWidget(expand);
    plusMinus->addWidget(collapse);
    plusMinus->addStretch(1);
    side->addLayout(plusMinus);
    FPanel2 = new QFrame(this);
    FPanel2->setObjectName("fsPanel2");
    FPanel2->setFixedSize(144, 108);
    FPanel2->setAutoFillBackground(true);
    side->addWidget(FPanel2);
    auto* speedRow = new QHBoxLayout;
    speedRow->addWidget(new QLabel("Effect Speed:", this));
    FSpeedEdit = new QSpinBox(this);
    FSpeedEdit->setObjectName("SpeedEdit");
    FSpeedEdit->setRange(1, 5);
    speedRow->addWidget(FSpeedEdit);
    side->addLayout(speedRow);
    side->addStretch(1);
    h->addLayout(side);
    v->addLayout(h, 1);
    addBottomBar(v);

    connect(FStyleList, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* it) { guarded([this, it] { StyleListClick(it); }); });
    connect(FStyleList, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* it) { StyleListChange(it); });
    onClick(selectAll, this, &EffectsPage::SelectAllBClick);
    onClick(disableAll, this, &EffectsPage::DisableAllBClick);
    onClick(expand, this, &EffectsPage::ExpandBClick);
    onClick(collapse, this, &EffectsPage::CollapseBClick);
}

void EffectsPage::forEachLeaf(const std::function<void(QTreeWidgetItem*, QTreeWidgetItem*)>& fn) const {
    for (int g = 0; g < FStyleList->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = FStyleList->topLevelItem(g);
        for (int l = 0; l < group->childCount(); ++l) fn(group, group->child(l));
    }
}

void EffectsPage::FillTree(const show::ShowSettingsFile& settings) {
    // A missing catalogue reads as an empty file, so every leaf gets the missing-entry number.
    const std::vector<int> numbers =
        data::readEffectNumbers(settings.places.programFolder + std::string(data::kCatalogueFileName));
    FFillingTree = true;
    forEachLeaf([](QTreeWidgetItem* group, QTreeWidgetItem* leaf) {
        group->setCheckState(0, Qt::Unchecked);
        group->setToolTip(0, QString());
        leaf->setCheckState(0, Qt::Unchecked);
    });
    std::size_t next = 0;
    forEachLeaf([&](QTreeWidgetItem* group, QTreeWidgetItem* leaf) {
        const int number = numbers[next++];
        leaf->setData(0, kNumberRole, number);
        if (number >= 0 && number <= 127 && settings.settings.EnabledEffects.test(number)) {
            leaf->setCheckState(0, Qt::Checked);
            group->setCheckState(0, Qt::Checked);
        }
        // A saved show cannot keep these enabled: a tick would otherwise promise what no show does.
        const bool neverPlayed =
            number >= show::kFirstNeverReadEffect && number <= show::kLastNeverReadEffect;
        leaf->setToolTip(0, neverPlayed ? kNeverPlayedTip : QString());
        if (neverPlayed) group->setToolTip(0, kNeverPlayedTip);
    });
    FFillingTree = false;
    TreeLoaded = true;
}

std::vector<std::pair<int, bool>> EffectsPage::Leaves() const {
    std::vector<std::pair<int, bool>> leaves;
    forEachLeaf([&leaves](QTreeWidgetItem*, QTreeWidgetItem* leaf) {
        leaves.emplace_back(leaf->data(0, kNumberRole).toInt(), leaf->checkState(0) == Qt::Checked);
    });
    return leaves;
}

void EffectsPage::StyleListClick(QTreeWidgetItem* item) {
    if (!item) return;
    QTreeWidgetItem* leaf = item;
    if (!item->parent()) {
        if (item->childCount() == 0) return;
        leaf = item->child(0);
        item->setExpanded(!item->isExpanded());
    }
    emit demonstrate(leaf->data(0, kNumberRole).toInt());
}

void EffectsPage::StyleListChange(QTreeWidgetItem* item) {
    if (!TreeLoaded || FFillingTree || !item) return;
    emit changed();
    if (!item->parent()) {
        const Qt::CheckState state = item->checkState(0);
        for (int l = 0; l < item->childCount(); ++l) item->child(l)->setCheckState(0, state);
    }
}

void EffectsPage::TickAll(Qt::CheckState state) {
    {
        const QSignalBlocker block(FStyleList);
        forEachLeaf([state](QTreeWidgetItem* group, QTreeWidgetItem* leaf) {
            group->setCheckState(0, state);
            leaf->setCheckState(0, state);
        });
    }
    emit changed();
}

void EffectsPage::ExpandBClick() {
    FStyleList->expandAll();
}
void EffectsPage::CollapseBClick() {
    FStyleList->collapseAll();
}

} // namespace vorlin::builder
