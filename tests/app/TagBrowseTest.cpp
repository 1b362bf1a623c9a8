// Tags from the server's address space into the tag table: "Izberi" and the
// double-click on the grid, driven through the real browse dialog over the
// demo server.

#include "ProgramFixture.h"

#include <QRadioButton>
#include <QTest>

namespace {

class TagBrowse : public ProgramFixture {
protected:
    TagBrowse() { Connect(); }

    void Browse() { Find<QPushButton>("IzberiAjtemKnof")->click(); }
};

} // namespace

TEST_F(TagBrowse, TheFirstChosenTagLandsInTheCheckedRowOnly)
{
    form->show();
    QApplication::processEvents();
    Tags().SetCell(1, RoleRow(TagRole::Y1), QStringLiteral("Temperatura reaktorja"));

    ClickCell(1, RoleRow(TagRole::Y1));
    AnswerBrowse({"Loop1"}, {"Y1"});
    Browse();
    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::Y1)), QStringLiteral("Loop1.Y1"));
    EXPECT_EQ(Tags().Cell(1, RoleRow(TagRole::Y1)), QStringLiteral("Temperatura reaktorja"));

    // The sub-heading rows keep the checked role: the next tag goes to row 4.
    for (int row : {6, 13}) {
        ClickCell(0, row);
        EXPECT_TRUE(Find<QRadioButton>("RadioButton5")->isChecked()) << row;
    }
    AnswerBrowse({"Loop1"}, {"Y2"});
    Browse();
    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::Y1)), QStringLiteral("Loop1.Y2"));
    EXPECT_TRUE(Tags().Cell(0, 6).isEmpty());
    EXPECT_TRUE(Tags().Cell(0, 13).isEmpty());

    // Several chosen: only the first, in the list's order.
    ClickCell(0, RoleRow(TagRole::MV));
    AnswerBrowse({"Loop1"}, {"U", "MV", "Y1"});
    Browse();
    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::MV)), QStringLiteral("Loop1.MV"));
    EXPECT_TRUE(Tags().Cell(0, RoleRow(TagRole::U)).isEmpty());

    // A double-click selects the row and browses for it.
    StringGrid& grid = Tags();
    const QPoint at = grid.visualRect(grid.model()->index(7, 0)).center();
    AnswerBrowse({"Loop1", "Controller1"}, {"P"});
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::P)), QStringLiteral("Loop1.Controller1.P"));
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

TEST_F(TagBrowse, NoCheckedRoleCancelOrConnectionLeavesTheTable)
{
    // No role checked: the dialog answers, nothing is written.
    AnswerBrowse({"Loop1"}, {"MV"});
    Browse();
    for (int row = 0; row < 20; ++row)
        EXPECT_TRUE(Tags().Cell(0, row).isEmpty()) << row;

    Find<QRadioButton>("RadioButton1")->click();
    Tags().SetCell(0, RoleRow(TagRole::MV), QStringLiteral("Loop1.U"));
    AnswerBrowse({"Loop1"}, {});
    Browse();
    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::MV)), QStringLiteral("Loop1.U"));

    // Without a connection no dialog is shown at all.
    connection.DisconnectServer();
    bool dialogShown = false;
    QTimer::singleShot(0, [&dialogShown] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialogShown = true;
            dialog->close();
        }
    });
    Browse();
    QApplication::processEvents();
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::MV)), QStringLiteral("Loop1.U"));
    EXPECT_TRUE(dialogs.Errors.isEmpty());
}
