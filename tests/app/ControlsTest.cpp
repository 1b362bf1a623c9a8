#include "base/MaskedTimeEdit.h"
#include "base/RadioGroup.h"
#include "base/StringGrid.h"
#include "base/TextComboBox.h"

#include "base/UserDialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

TEST(RadioGroupControl, ClickFiresOnEveryNewItemFromUserOrProgram)
{
    RadioGroup group(QStringLiteral("Izbira"),
                     {QStringLiteral("P"), QStringLiteral("I"), QStringLiteral("PI")});
    QSignalSpy clicks(&group, &RadioGroup::Click);
    EXPECT_EQ(group.ItemIndex(), -1);

    group.SetItemIndex(2);
    EXPECT_EQ(group.ItemIndex(), 2);
    EXPECT_EQ(clicks.count(), 1);

    group.SetItemIndex(2); // no change, no click
    EXPECT_EQ(clicks.count(), 1);

    group.Button(0)->click(); // the user's choice
    EXPECT_EQ(group.ItemIndex(), 0);
    EXPECT_TRUE(group.Button(0)->isChecked());
    EXPECT_FALSE(group.Button(2)->isChecked());
    EXPECT_EQ(clicks.count(), 2);

    group.SetItemIndex(7); // outside the items: ignored
    EXPECT_EQ(group.ItemIndex(), 0);

    group.SetItemIndex(-1);
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_FALSE(group.Button(0)->isChecked());
    group.SetItemIndex(0); // checking the same item again after -1 is a change
    EXPECT_EQ(clicks.count(), 3);
}

TEST(TextComboBoxControl, EditableShowsTextWithoutItem)
{
    TextComboBox combo(true);
    combo.addItems({QStringLiteral("Splošni paralelni (Kp, Ki, Kd)"),
                    QStringLiteral("Paralelni (Kp, Ti, Td)")});
    QSignalSpy changes(&combo, &TextComboBox::Change);

    combo.SetText(QStringLiteral("Splošni paralelni"));
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(combo.Text(), QStringLiteral("Splošni paralelni"));

    combo.SetItemIndex(1);
    EXPECT_EQ(combo.ItemIndex(), 1);
    EXPECT_EQ(combo.Text(), QStringLiteral("Paralelni (Kp, Ti, Td)"));
    EXPECT_EQ(changes.count(), 0); // set by the program

    // Typing over the selected item leaves no item selected.
    combo.setFocus();
    combo.lineEdit()->selectAll();
    QTest::keyClicks(combo.lineEdit(), QStringLiteral("xyz"));
    EXPECT_EQ(combo.Text(), QStringLiteral("xyz"));
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(changes.count(), 3);

    combo.SetItemIndex(-1);
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_TRUE(combo.Text().isEmpty());
}

TEST(TextComboBoxControl, DropDownListSelectsByText)
{
    TextComboBox combo(false);
    combo.addItems({QStringLiteral("0"), QStringLiteral("1")});
    combo.SetText(QStringLiteral("1"));
    EXPECT_EQ(combo.ItemIndex(), 1);
    // A text without an item is shown until the user picks one.
    combo.SetText(QStringLiteral("2"));
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(combo.Text(), "2");
    combo.SetItemIndex(-1);
    EXPECT_TRUE(combo.Text().isEmpty());

    QSignalSpy changes(&combo, &TextComboBox::Change);
    emit combo.activated(0); // what a pick from the list emits
    EXPECT_EQ(changes.count(), 1);
}

TEST(StringGridControl, CellsAndSelection)
{
    StringGrid grid(2, 20, 250, 19);
    EXPECT_EQ(grid.columnCount(), 2);
    EXPECT_EQ(grid.rowCount(), 20);
    EXPECT_EQ(grid.columnWidth(1), 250);
    EXPECT_EQ(grid.rowHeight(19), 19);
    EXPECT_TRUE(grid.Cell(1, 5).isEmpty());

    grid.SetCell(1, 5, QStringLiteral("Opis"));
    grid.SetCell(1, 5, QStringLiteral("Pretok"));
    EXPECT_EQ(grid.Cell(1, 5), QStringLiteral("Pretok"));
    EXPECT_TRUE(grid.Cell(0, 5).isEmpty());

    QSignalSpy selected(&grid, &StringGrid::SelectCell);
    grid.setCurrentCell(7, 1);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).toInt(), 1); // column first
    EXPECT_EQ(selected.at(0).at(1).toInt(), 7);

    // Every cell is visible without scrolling.
    EXPECT_GE(grid.width(), 500);
    EXPECT_GE(grid.height(), 380);
}

TEST(MaskedTimeEditControl, TwoDigitFieldsOnly)
{
    MaskedTimeEdit edit(QStringLiteral("12:00:00"));
    EXPECT_EQ(edit.text(), QStringLiteral("12:00:00"));
    EXPECT_EQ(edit.Time(), QTime(12, 0, 0));

    edit.SetTime(QTime(7, 5, 3));
    EXPECT_EQ(edit.text(), QStringLiteral("07:05:03"));

    edit.setText(QStringLiteral("25:61:00")); // digits, but no time of day
    EXPECT_FALSE(edit.Time().isValid());

    edit.clear();
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, QStringLiteral("ab0930")); // letters are refused
    EXPECT_EQ(edit.text().left(5), QStringLiteral("09:30"));
}

TEST(UserDialogsControl, AnExistingFileIsOpenedUnderItsOwnName)
{
    // A foreign export without an extension is not looked for as ".vkd".
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("meritve"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QTimer::singleShot(0, [path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_GE(dialog->width(), 800); // room for the columns
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    UserDialogs real;
    EXPECT_EQ(real.OpenFileName(nullptr, {.Directory = dir.path(), .DefaultExtension = "vkd"}),
              path);
}
