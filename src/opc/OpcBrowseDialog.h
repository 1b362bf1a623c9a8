#pragma once

// The item browse dialog "Select OPC Item" (TdOPCDlgBrowse) over the address
// space of a connected server, and BrowseItems, the one call the OPC page
// makes. The controls carry their member names as objectName.
//
// A double-click, "&Open" or the space key on a branch enters it; backspace
// in the list or the back button goes up one level. Changing a filter
// re-reads the branch, and so does "&Open" (or Enter) while the name filter
// has the focus. "&Open" with leaves selected returns their ItemIDs in list
// order; a double-click on a leaf does the same.

#include <QDialog>
#include <QStringList>

class OpcServer;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QToolButton;

class OpcBrowseDialog : public QDialog {
    Q_OBJECT
public:
    // Roles of the list entries: the fully qualified ItemID and whether it is a branch.
    static constexpr int ItemIdRole = Qt::UserRole;
    static constexpr int IsBranchRole = Qt::UserRole + 1;

    // Opens at the root, or at `startPath` when that branch has entries, with
    // the entry `current` (an ItemID or a branch name; else the first entry)
    // current and selected, so that Return at once is "&Open" on it.
    explicit OpcBrowseDialog(OpcServer& server, QWidget* parent = nullptr,
                             const QStringList& startPath = {}, const QString& current = {});

    // The ItemIDs chosen with "&Open"; empty until the dialog was accepted.
    const QStringList& SelectedItemIDs() const { return selected_; }
    // The current branch, from the root ("root" is the empty path).
    const QStringList& CurrentPath() const { return path_; }
    // The ItemID of the current entry, or the name of a current branch.
    QString CurrentEntry() const;

    QToolButton* bBack;
    QLabel* lPath;
    QLineEdit* eFilter;
    QComboBox* cDataType;
    QCheckBox* cbReadable;
    QCheckBox* cbWritable;
    QListWidget* lbItems;
    QPushButton* bOpen;
    QPushButton* bCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ReadBranch();
    void EnterBranch(const QString& name);
    void GoUp();
    void OpenClick();
    void ItemDoubleClicked(QListWidgetItem* item);

    OpcServer& server_;
    QStringList path_;
    QStringList selected_;
};

// Shows the dialog on the server's address space. False without showing
// anything while the connection is inactive, and when the dialog is
// cancelled (the list is then unchanged); true with the chosen ItemIDs in
// `items` (replacing its content). The dialog reopens where it was last
// closed on the same server: the same branch, the same entry current.
bool BrowseItems(OpcServer& server, QStringList& items, QWidget* parent = nullptr);
