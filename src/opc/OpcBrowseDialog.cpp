#include "opc/OpcBrowseDialog.h"

#include "base/ErrorGuard.h"
#include "opc/OpcClient.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template <typename Widget> Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

bool IsBranch(const QListWidgetItem* item)
{
    return item && item->data(OpcBrowseDialog::IsBranchRole).toBool();
}

} // namespace

OpcBrowseDialog::OpcBrowseDialog(OpcServer& server, QWidget* parent, const QStringList& startPath,
                                 const QString& current)
    : QDialog(parent), server_(server)
{
    setObjectName(QStringLiteral("OpcBrowseDialog"));
    setWindowTitle(QStringLiteral("Select OPC Item"));
    resize(420, 440);

    bBack = Named(new QToolButton(this), "bBack");
    bBack->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    bBack->setToolTip(QStringLiteral("Up one level"));
    lPath = Named(new QLabel(this), "lPath");
    eFilter = Named(new QLineEdit(this), "eFilter");
    cDataType = Named(new QComboBox(this), "cDataType");
    cDataType->addItems(OpcVariantTypeNames());
    cbReadable = Named(new QCheckBox(QStringLiteral("Readable"), this), "cbReadable");
    cbWritable = Named(new QCheckBox(QStringLiteral("Writable"), this), "cbWritable");
    lbItems = Named(new QListWidget(this), "lbItems");
    lbItems->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbItems->installEventFilter(this);
    bOpen = Named(new QPushButton(QStringLiteral("&Open"), this), "bOpen");
    bOpen->setDefault(true);
    bCancel = Named(new QPushButton(QStringLiteral("&Cancel"), this), "bCancel");

    auto* filterLabel = new QLabel(QStringLiteral("Filter"), this);
    filterLabel->setBuddy(eFilter);
    auto* typeLabel = new QLabel(QStringLiteral("Data type"), this);
    typeLabel->setBuddy(cDataType);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(bBack);
    pathRow->addWidget(lPath, 1);
    auto* filters = new QGridLayout;
    filters->addWidget(filterLabel, 0, 0);
    filters->addWidget(eFilter, 0, 1);
    filters->addWidget(typeLabel, 1, 0);
    filters->addWidget(cDataType, 1, 1);
    auto* access = new QHBoxLayout;
    access->addWidget(cbReadable);
    access->addWidget(cbWritable);
    access->addStretch(1);
    filters->addLayout(access, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bOpen);
    buttons->addWidget(bCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addLayout(filters);
    layout->addWidget(lbItems, 1);
    layout->addLayout(buttons);

    connect(bBack, &QToolButton::clicked, this, [this] { Guard(this, [this] { GoUp(); }); });
    connect(bOpen, &QPushButton::clicked, this, [this] { Guard(this, [this] { OpenClick(); }); });
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lbItems, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        Guard(this, [this, item] { ItemDoubleClicked(item); });
    });
    const auto reread = [this] { Guard(this, [this] { ReadBranch(); }); };
    connect(eFilter, &QLineEdit::editingFinished, this, reread);
    connect(cDataType, &QComboBox::currentIndexChanged, this, reread);
    connect(cbReadable, &QCheckBox::toggled, this, reread);
    connect(cbWritable, &QCheckBox::toggled, this, reread);

    cDataType->setCurrentIndex(OpcType::Empty);
    Guard(this, [&] {
        path_ = startPath;
        ReadBranch();
        if (!path_.isEmpty() && lbItems->count() == 0) {
            // The branch is gone (or empty): from the root.
            path_.clear();
            ReadBranch();
        }
        int row = 0;
        for (int i = 0; i < lbItems->count() && !current.isEmpty(); ++i) {
            const QListWidgetItem* item = lbItems->item(i);
            if (item->data(ItemIdRole).toString() == current ||
                (IsBranch(item) && item->text() == current)) {
                row = i;
                break;
            }
        }
        if (lbItems->count() > 0)
            lbItems->setCurrentRow(row);
    });
    lbItems->setFocus();
}

QString OpcBrowseDialog::CurrentEntry() const
{
    const QListWidgetItem* item = lbItems->currentItem();
    if (!item)
        return {};
    return IsBranch(item) ? item->text() : item->data(ItemIdRole).toString();
}

void OpcBrowseDialog::ReadBranch()
{
    OpcBrowseFilter filter;
    filter.NameFilter = eFilter->text().trimmed();
    filter.DataType = std::max(0, cDataType->currentIndex());
    filter.Readable = cbReadable->isChecked();
    filter.Writable = cbWritable->isChecked();

    const QIcon branchIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon leafIcon = style()->standardIcon(QStyle::SP_FileIcon);
    lbItems->clear();
    for (const OpcBrowseEntry& entry : server_.BrowseBranch(path_, filter)) {
        auto* item = new QListWidgetItem(entry.IsBranch ? branchIcon : leafIcon, entry.Name);
        item->setData(ItemIdRole, entry.ItemID);
        item->setData(IsBranchRole, entry.IsBranch);
        lbItems->addItem(item);
    }
    lPath->setText(path_.isEmpty() ? QStringLiteral("root") : path_.join(QLatin1Char('.')));
    bBack->setEnabled(!path_.isEmpty());
}

void OpcBrowseDialog::EnterBranch(const QString& name)
{
    path_.append(name);
    ReadBranch();
    if (lbItems->count() > 0)
        lbItems->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

void OpcBrowseDialog::GoUp()
{
    if (path_.isEmpty())
        return;
    const QString left = path_.takeLast();
    ReadBranch();
    // Back on the branch just left, so that the user keeps the place.
    for (int row = 0; row < lbItems->count(); ++row) {
        QListWidgetItem* item = lbItems->item(row);
        if (IsBranch(item) && item->text() == left) {
            lbItems->setCurrentItem(item);
            break;
        }
    }
}

void OpcBrowseDialog::OpenClick()
{
    if (focusWidget() == eFilter) {
        ReadBranch();
        return;
    }
    QStringList leaves;
    const QListWidgetItem* firstBranch = nullptr;
    for (int row = 0; row < lbItems->count(); ++row) {
        const QListWidgetItem* item = lbItems->item(row);
        if (!item->isSelected())
            continue;
        if (!IsBranch(item))
            leaves.append(item->data(ItemIdRole).toString());
        else if (!firstBranch)
            firstBranch = item;
    }
    if (!leaves.isEmpty()) {
        selected_ = leaves;
        accept();
    } else if (firstBranch) {
        EnterBranch(firstBranch->text());
    }
}

void OpcBrowseDialog::ItemDoubleClicked(QListWidgetItem* item)
{
    if (IsBranch(item)) {
        EnterBranch(item->text());
        return;
    }
    item->setSelected(true);
    OpenClick();
}

bool OpcBrowseDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lbItems && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Space && IsBranch(lbItems->currentItem())) {
            const QString name = lbItems->currentItem()->text();
            Guard(this, [this, &name] { EnterBranch(name); });
            return true;
        }
        if (key == Qt::Key_Backspace) {
            Guard(this, [this] { GoUp(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool BrowseItems(OpcServer& server, QStringList& items, QWidget* parent)
{
    if (!server.Active())
        return false;
    // Where the dialog was last closed, per connection and server.
    struct Place {
        const OpcServer* Server = nullptr;
        QString ServerName;
        QStringList Path;
        QString Current;
    };
    static Place last;
    const bool same = last.Server == &server && last.ServerName == server.ServerName;
    OpcBrowseDialog dialog(server, parent, same ? last.Path : QStringList(),
                           same ? last.Current : QString());
    const int result = dialog.exec();
    last = {&server, server.ServerName, dialog.CurrentPath(),
            dialog.SelectedItemIDs().isEmpty() ? dialog.CurrentEntry()
                                               : dialog.SelectedItemIDs().first()};
    if (result != QDialog::Accepted || dialog.SelectedItemIDs().isEmpty())
        return false;
    items = dialog.SelectedItemIDs();
    return true;
}
