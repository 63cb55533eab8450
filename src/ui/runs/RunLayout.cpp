#include "ui/runs/RunLayout.h"

#include "ui/common/UiText.h"
#include "ui/runs/ColorListBox.h"
#include "ui/runs/PathLabel.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace
{
constexpr int kResultsMinimumHeight = 160;
} // namespace

CColorListBox* AddResultsList(QBoxLayout& layout, QWidget& owner)
{
    auto* label = new QLabel(Tr("&Results:"), &owner);
    auto* results = new CColorListBox(&owner);
    results->setObjectName(QStringLiteral("results"));
    results->setMinimumHeight(kResultsMinimumHeight);
    label->setBuddy(results);
    layout.addWidget(label);
    layout.addWidget(results, 1);
    return results;
}

CPathLabel* AddCurrentFile(QBoxLayout& layout, QWidget& owner)
{
    auto* label = new QLabel(Tr("Current File:"), &owner);
    auto* path = new CPathLabel(&owner);
    path->setObjectName(QStringLiteral("currentFile"));
    layout.addWidget(label);
    layout.addWidget(path);
    return path;
}

QPushButton* AddCancelButton(QBoxLayout& layout, QWidget& owner)
{
    auto* buttons = new QDialogButtonBox(&owner);
    QPushButton* cancel = buttons->addButton(Tr("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    layout.addWidget(buttons);
    return cancel;
}

QProgressBar* AddProgressBar(QBoxLayout& layout, QWidget& owner)
{
    auto* progress = new QProgressBar(&owner);
    progress->setObjectName(QStringLiteral("progress"));
    progress->setRange(0, 100);
    progress->setValue(0);
    progress->setTextVisible(false);
    layout.addWidget(progress);
    return progress;
}

QGroupBox* AddCaptionedProgress(QBoxLayout& layout, QWidget& owner, QProgressBar*& progress)
{
    auto* group = new QGroupBox(&owner);
    group->setObjectName(QStringLiteral("caption"));
    auto* inside = new QVBoxLayout(group);
    progress = AddProgressBar(*inside, *group);
    layout.addWidget(group);
    return group;
}
