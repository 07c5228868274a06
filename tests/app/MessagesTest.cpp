#include "app/Messages.h"

#include "app/CommandLine.h"
#include "core/i18n/StringTable.h"
#include "core/util/Support.h"
#include "support/StringTableFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pellora {
namespace {

constexpr std::string_view kTableBody = "[String Table]\r\n"
                                        "100=Cannot open the file.\r\n"
                                        "101=Save the changes?\r\n"
                                        "102=No right to load drivers.\r\n"
                                        "103=Another instance runs.\r\n"
                                        "104=Cannot be saved.\r\n"
                                        "105=Model list missing.\r\n"
                                        "106=Instance failed.\r\n"
                                        "[Pellorix.exe\\MESSAGE]\r\n"
                                        "M2=2:101\r\n"
                                        "M3=3:102\r\n"
                                        "M4=4:103\r\n"
                                        "M5=5:100\r\n"
                                        "M6=6:104\r\n"
                                        "M24=24:105\r\n"
                                        "M999=999:106\r\n";

struct Shown {
    enum Kind { Modal, NonBlocking, Fixed } kind;
    std::string text;
    std::string caption;
    int style;
};

class RecordingPresenter final : public MessagePresenter {
public:
    int Show(const std::string& text, const std::string& caption, int style) override
    {
        shown.push_back({Shown::Modal, text, caption, style});
        return answer;
    }
    int ShowNonBlocking(const std::string& text, const std::string& caption, int style) override
    {
        shown.push_back({Shown::NonBlocking, text, caption, style});
        return IDOK;
    }
    void CloseNonBlocking() override { ++closed; }
    void ShowFixedText(const std::string& text, const std::string& caption) override
    {
        shown.push_back({Shown::Fixed, text, caption, MB_ICONHAND});
    }

    std::vector<Shown> shown;
    int closed = 0;
    int answer = IDOK;
};

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_table.Load(m_fixture.folder().path(), 0, kStringTableGroup));
        m_reporter.SetCaption("Pellora");
    }

    const Shown& last() const { return m_presenter.shown.back(); }

    test::StringTableFixture m_fixture { kTableBody };
    StringTable m_table;
    CommandLineInfo m_commandLine;
    RecordingPresenter m_presenter;
    MessageReporter m_reporter { m_table, m_commandLine, m_presenter };
};

TEST_F(MessagesTest, StyleAndTextFollowTheNumber)
{
    struct Case {
        int number;
        const char* text;
        int style;
    };
    const Case cases[] = {
        {3, "No right to load drivers.", 0x10},  {4, "Another instance runs.", 0x10},
        {999, "Instance failed.", 0x10},         {6, "Cannot be saved.", 0x30},
        {24, "Model list missing.", 0x30},       {5, "Cannot open the file.", 0x30},
        {77, "", 0x30}, // a number the table does not hold: an empty box
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_reporter.ShowMessage(c.number), IDOK) << c.number;
        EXPECT_EQ(last().kind, Shown::Modal);
        EXPECT_EQ(last().text, c.text) << c.number;
        EXPECT_EQ(last().style, c.style) << c.number;
        EXPECT_EQ(last().caption, "Pellora");
    }
}

TEST_F(MessagesTest, QuestionReturnsTheButtonOfTheUser)
{
    m_presenter.answer = IDNO;
    EXPECT_EQ(m_reporter.ShowMessage(2), IDNO);
    EXPECT_EQ(last().style, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(last().text, "Save the changes?");
    m_presenter.answer = IDYES;
    EXPECT_EQ(m_reporter.ShowMessage(2), IDYES);
}

TEST_F(MessagesTest, FileMessagePutsTheBareFileNameFirstAndHasItsOwnStyles)
{
    m_reporter.ShowFileMessage(6, "/home/admin/projects/office.qst");
    EXPECT_EQ(last().text, "office.qst:\nCannot be saved.");
    EXPECT_EQ(last().style, MB_ICONHAND);

    m_reporter.ShowFileMessage(5, "C:\\Scripts\\floor2.qsm");
    EXPECT_EQ(last().text, "floor2.qsm:\nCannot open the file.");
    EXPECT_EQ(last().style, MB_ICONEXCLAMATION);

    m_presenter.answer = IDNO;
    EXPECT_EQ(m_reporter.ShowFileMessage(2, "plain.qsm"), IDNO);
    EXPECT_EQ(last().text, "plain.qsm:\nSave the changes?");
    EXPECT_EQ(last().style, MB_YESNO | MB_ICONQUESTION);

    m_reporter.ShowFileMessage(4, "/srv/share/");
    EXPECT_EQ(last().text, ":\nAnother instance runs.");
    EXPECT_EQ(last().style, MB_ICONHAND);
}

TEST_F(MessagesTest, DetailFollowsTheTextAfterABlankLine)
{
    EXPECT_EQ(m_reporter.ShowMessage(6, "Name: x|y"), IDOK);
    EXPECT_EQ(last().text, "Cannot be saved.\n\nName: x|y");
    EXPECT_EQ(last().style, MB_ICONEXCLAMATION);
    m_reporter.ShowMessage(6, "");
    EXPECT_EQ(last().text, "Cannot be saved.");

    m_commandLine.model = "RX-C3400";
    m_commandLine.address = "10.0.0.5";
    const std::size_t count = m_presenter.shown.size();
    EXPECT_EQ(m_reporter.ShowMessage(6, "detail"), 0) << "script mode shows nothing";
    EXPECT_EQ(m_presenter.shown.size(), count);
}

TEST_F(MessagesTest, NegativeNumberShowsNothingButAFileMessageStillShows)
{
    EXPECT_EQ(m_reporter.ShowMessage(-1), 0);
    EXPECT_TRUE(m_presenter.shown.empty());
    EXPECT_EQ(m_presenter.closed, 0);

    EXPECT_EQ(m_reporter.ShowFileMessage(-1, "/x/y.qsm"), IDOK);
    EXPECT_EQ(last().text, "y.qsm:\n");
    EXPECT_EQ(last().style, MB_ICONHAND);
}

TEST_F(MessagesTest, ScriptModeArgumentsSilenceEveryMessageUntilTheStartTurnsInteractive)
{
    m_commandLine.model = "RX-C3400";
    EXPECT_EQ(m_reporter.ShowMessage(6), IDOK); // a model alone is no script mode

    m_commandLine.address = "10.0.0.5";
    m_presenter.shown.clear();
    m_presenter.answer = IDYES;
    EXPECT_TRUE(m_reporter.IsSilent());
    EXPECT_EQ(m_reporter.ShowMessage(4), 0);
    EXPECT_EQ(m_reporter.ShowMessage(2), 0);
    EXPECT_EQ(m_reporter.ShowFileMessage(5, "/a/b.qsm"), 0);
    EXPECT_TRUE(m_presenter.shown.empty());

    m_reporter.SetInteractiveStart(true);
    EXPECT_EQ(m_reporter.ShowMessage(2), IDYES);
    EXPECT_EQ(m_presenter.shown.size(), 1u);
}

TEST_F(MessagesTest, ViewModeShowsWithoutBlockingAndANegativeNumberClosesTheBox)
{
    m_commandLine.viewMode = true;
    m_commandLine.model = "RX-C3400";
    m_commandLine.address = "10.0.0.5";
    EXPECT_EQ(m_reporter.ShowMessage(4), IDOK);
    EXPECT_EQ(last().kind, Shown::NonBlocking);
    EXPECT_EQ(last().text, "Another instance runs.");
    EXPECT_EQ(last().style, MB_ICONHAND);

    m_reporter.ShowFileMessage(5, "/a/b.qsm");
    EXPECT_EQ(last().kind, Shown::NonBlocking);

    const std::size_t count = m_presenter.shown.size();
    EXPECT_EQ(m_reporter.ShowMessage(-3), 0);
    EXPECT_EQ(m_presenter.closed, 1);
    EXPECT_EQ(m_presenter.shown.size(), count);
}

// The tables delivered beside the program: every message the program raises and every general text
// has a text in each language, and the translations are not the neutral texts.
TEST(DeliveredMessagesTest, EveryLanguageHasEveryMessageAndGeneralText)
{
    const int messages[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 17, 22, 24, 25, 26, 27, 999};
    const int general[] = {1, 2, 3, 6, 7, 11, 12, 101, 103, 106, 112};
    StringTable neutral;
    ASSERT_TRUE(neutral.Load(PELLORA_BIN_DIR, 0, kStringTableGroup));
    for (const std::uint16_t language : {std::uint16_t {0x0407}, std::uint16_t {0x0411}}) {
        StringTable table;
        ASSERT_TRUE(table.Load(PELLORA_BIN_DIR, language, kStringTableGroup));
        std::size_t translated = 0;
        for (const int number : messages) {
            const std::string text = table.GetItemText(kMessageSection, number);
            EXPECT_FALSE(text.empty()) << language << " message " << number;
            translated += text != neutral.GetItemText(kMessageSection, number);
        }
        EXPECT_EQ(translated, std::size(messages)) << language;
        for (const int item : general)
            EXPECT_FALSE(table.GetItemText("ETC", item).empty()) << language << " ETC " << item;
        // Texts that name the product, its address or its files stay as they are.
        EXPECT_EQ(table.GetItemText("ETC", 11), neutral.GetItemText("ETC", 11));
        EXPECT_EQ(table.GetItemText("ETC", 12), "Pellora");
    }
}

} // namespace
} // namespace pellora
