#include "ui/frame/MenuTexts.h"

#include "core/i18n/StringTable.h"
#include "support/StringTableFixture.h"
#include "ui/frame/CommandTable.h"
#include "ui/frame/MainFrameIds.h"

#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace pellora::ui {
namespace {

constexpr std::string_view kBody = "[String Table]\r\n"
                                   "10=File\r\n11=Edit\r\n12=View\r\n13=Window\r\n14=Help\r\n"
                                   "20=&New\\tCtrl+N\r\n21=&Copy\r\n"
                                   "[Pellorix.exe\\MENU_STRING]\r\n"
                                   "0=0:10\r\n1=1:11\r\n2=2:12\r\n3=3:13\r\n4=4:14\r\n"
                                   "N=57600:20\r\nC=57634:21\r\n";

TEST(MenuTextsTest, TopLevelItemsFollowTheCountOfTheBar)
{
    for (const int count : {5, 6}) {
        for (int position = 0; position < 5; ++position)
            EXPECT_EQ(TopLevelCaptionItem(count, position), position);
        EXPECT_EQ(TopLevelCaptionItem(count, 5), -1);
    }
    EXPECT_EQ(TopLevelCaptionItem(3, 0), 0);
    EXPECT_EQ(TopLevelCaptionItem(3, 1), 2);
    EXPECT_EQ(TopLevelCaptionItem(3, 2), 4);
    // A maximised window's menu stands first: the captions move one place on.
    EXPECT_EQ(TopLevelCaptionItem(7, 0), -1);
    EXPECT_EQ(TopLevelCaptionItem(7, 1), 0);
    EXPECT_EQ(TopLevelCaptionItem(7, 5), 4);
    EXPECT_EQ(TopLevelCaptionItem(4, 4), 3);
    EXPECT_EQ(TopLevelCaptionItem(7, 6), -1);
}

class MenuTextsFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_table.Load(m_strings.folder().path(), 0, kStringTableGroup)); }

    QAction* add(QMenu* menu, int id)
    {
        QAction* action = menu->addAction(QStringLiteral("old"));
        CommandTable::SetCommandId(action, id);
        return action;
    }

    test::StringTableFixture m_strings {kBody};
    StringTable m_table;
};

TEST_F(MenuTextsFixture, ABarOfThreeTakesItemsZeroTwoAndFour)
{
    QMenuBar bar;
    QMenu* file = bar.addMenu(QStringLiteral("x"));
    bar.addMenu(QStringLiteral("y"));
    bar.addMenu(QStringLiteral("z"));
    QAction* fresh = add(file, 57600);
    QAction* copy = add(file, 57634);
    QAction* unknown = add(file, 40000);
    QAction* window = add(file, AFX_IDM_FIRST_MDICHILD + 1);
    QAction* plain = file->addAction(QStringLiteral("no number"));

    RetextMenuBar(&bar, m_table, false);
    const auto top = bar.actions();
    EXPECT_EQ(top[0]->text(), "File");
    EXPECT_EQ(top[1]->text(), "View");
    EXPECT_EQ(top[2]->text(), "Help");
    EXPECT_EQ(fresh->text(), "&New\tCtrl+N");
    EXPECT_EQ(copy->text(), "&Copy");
    EXPECT_EQ(unknown->text(), "");       // a command without text gets an empty one
    EXPECT_EQ(window->text(), "old");     // window-list entries keep their texts
    EXPECT_EQ(plain->text(), "no number");
    EXPECT_TRUE(fresh->isEnabled());
}

TEST_F(MenuTextsFixture, ViewModeDisablesEveryItemButSeparatorsAndSubMenus)
{
    QMenuBar bar;
    QMenu* file = bar.addMenu(QStringLiteral("x"));
    for (int i = 0; i < 4; ++i)
        bar.addMenu(QStringLiteral("m"));
    QAction* fresh = add(file, 57600);
    QAction* separator = file->addSeparator();
    QMenu* sub = file->addMenu(QStringLiteral("sub"));

    RetextMenuBar(&bar, m_table, true);
    EXPECT_EQ(bar.actions()[3]->text(), "Window");
    EXPECT_FALSE(fresh->isEnabled());
    EXPECT_TRUE(separator->isEnabled());
    EXPECT_TRUE(sub->menuAction()->isEnabled());
    EXPECT_EQ(sub->title(), "sub");
}

} // namespace
} // namespace pellora::ui
