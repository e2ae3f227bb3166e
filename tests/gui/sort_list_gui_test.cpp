// The sortable list: headings, rows and their item data, the three kinds of comparison, sorting by
// clicking a heading, the arrow in the heading, and column widths from the settings file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <algorithm>
#include <set>

#include "controls/profile_binary.h"
#include "controls/sort_compare.h"
#include "controls/sort_list_ctrl.h"
#include "platform/ini_file.h"
#include "tests/support/gui/page_fixture.h"

namespace {

using sortlist::CompareCells;

class SortList : public testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        m_list = std::make_unique<CSortListCtrl>(1040);
        ASSERT_TRUE(m_list->SetHeadings("No.,30;Site Name,120;Phone,110"));
        m_list->resize(400, 300);
        m_list->show();
    }

    void Add(const std::string& no, const std::string& name, const std::string& phone) {
        int row = m_list->AddItem({no, name, phone});
        ASSERT_GE(row, 0);
        m_list->SetItemData(row, static_cast<uint32_t>(row + 1));
    }

    std::vector<std::string> Column(int column) const {
        std::vector<std::string> texts;
        for (int row = 0; row < m_list->GetItemCount(); ++row) {
            texts.push_back(m_list->GetItemText(row, column));
        }
        return texts;
    }

    // A left click in the middle of a heading, as the mouse gives it.
    void ClickHeading(int column) {
        CSortHeaderCtrl* header = m_list->Header();
        QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(header->viewport(), &event);
        }
    }

    std::unique_ptr<CSortListCtrl> m_list;
};

TEST_F(SortList, ColumnsFromHeadingsAndItemDataForExistingRowsOnly) {
    EXPECT_EQ(m_list->m_nNumColumns, 3);
    EXPECT_EQ(m_list->model()->headerData(1, Qt::Horizontal).toString(), "Site Name");
    CSortListCtrl empty(1);
    EXPECT_FALSE(empty.SetHeadings("no comma here"));
    EXPECT_EQ(empty.AddItem({}), -1) << "a list without columns takes no rows";

    Add("1", "North Yard", "1234");
    EXPECT_EQ(m_list->AddItem({"only two", "texts"}), -1);
    EXPECT_TRUE(m_list->SetItemData(0, 77));
    EXPECT_FALSE(m_list->SetItemData(1, 5)) << "row count is 1";
    EXPECT_FALSE(m_list->SetItemData(-1, 5));
    EXPECT_EQ(m_list->GetItemData(0), 77u);
    EXPECT_EQ(m_list->GetItemCount(), 1);

    m_list->DeleteAllItems();
    EXPECT_EQ(m_list->GetItemCount(), 0);
    EXPECT_EQ(m_list->GetItemData(0), 0u);
}

TEST(SortCompare, NumbersDatesAndTexts) {
    EXPECT_LT(CompareCells("2", "10"), 0) << "numbers, not text";
    EXPECT_GT(CompareCells("99999999999999999999999", "1"), 0) << "no overflow";
    // The first text of the pair chooses the kind: an empty one is the number 0.
    EXPECT_EQ(CompareCells("", "abc"), 0);
    EXPECT_GT(CompareCells("", "-3"), 0);
    EXPECT_GT(CompareCells("abc", ""), 0) << "the same pair the other way round is text";

    EXPECT_LT(CompareCells("31/12/2015", "01/01/2016"), 0) << "year first";
    EXPECT_GT(CompareCells("01/02/2016", "31/01/2016"), 0) << "then month";
    EXPECT_LT(CompareCells("01/02/2016", "02/02/2016"), 0) << "then day";
    EXPECT_EQ(CompareCells("07/11/2016", "07/11/2016"), 0);
    // Not ten characters: text, so "9/..." comes after "10/..." although it is the earlier date.
    EXPECT_GT(CompareCells("9/1/2015", "10/01/2016"), 0);
    EXPECT_GT(CompareCells("1/1/2016", "01/01/2016"), 0);

    EXPECT_LT(CompareCells("Alpha", "Beta"), 0);
    EXPECT_EQ(CompareCells("Depot", "Depot"), 0);
}

TEST_F(SortList, ClickingNumberHeadingSortsNumericallyThenReverses) {
    for (const char* n : {"3", "10", "1", "7", "2", "9", "5", "4", "8", "6"}) {
        Add(n, std::string("Site ") + n, "1");
    }
    ClickHeading(0);
    EXPECT_EQ(Column(0),
              (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    EXPECT_EQ(m_list->m_nSortColumn, 0);
    EXPECT_EQ(m_list->m_bSortAscending, 1);

    ClickHeading(0);
    EXPECT_EQ(Column(0),
              (std::vector<std::string>{"10", "9", "8", "7", "6", "5", "4", "3", "2", "1"}));
    EXPECT_EQ(m_list->m_bSortAscending, 0);

    ClickHeading(1);
    EXPECT_EQ(m_list->m_bSortAscending, 1) << "a new column starts ascending";
    EXPECT_EQ(Column(1).front(), "Site 1");
    EXPECT_EQ(Column(1).back(), "Site 9");
}

TEST_F(SortList, RowsKeepTheirDataAndSelectionWhenSorted) {
    Add("1", "Zulu", "111");
    Add("2", "Alpha", "222");
    Add("3", "Mike", "333");
    m_list->SelectRow(0);  // Zulu
    ClickHeading(1);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"Alpha", "Mike", "Zulu"}));
    EXPECT_EQ(m_list->GetItemData(0), 2u);
    int selected = m_list->GetFirstSelected();
    ASSERT_EQ(selected, 2);
    EXPECT_EQ(m_list->GetItemText(selected, 1), "Zulu");
    EXPECT_EQ(m_list->GetItemData(selected), 1u);
}

TEST_F(SortList, MixedColumnSortsWithoutLosingRows) {
    // Kinds chosen pair by pair need not agree with each other; the sort must still end with
    // every row exactly once.
    std::vector<std::string> texts = {"abc", "",           "5",  "x1", "12/12/2012", "3",
                                      "-4",  "01/01/2001", "zz", "0",  "B",          "10"};
    for (const auto& t : texts) {
        Add("1", t, "1");
    }
    for (int click = 0; click < 3; ++click) {
        ClickHeading(1);
        std::vector<std::string> column = Column(1);
        std::multiset<std::string> after(column.begin(), column.end());
        EXPECT_EQ(after, std::multiset<std::string>(texts.begin(), texts.end()));
        std::set<uint32_t> data;
        for (int row = 0; row < m_list->GetItemCount(); ++row) {
            data.insert(m_list->GetItemData(row));
        }
        EXPECT_EQ(data.size(), texts.size());
    }
}

TEST(SortOrder, IsStableAndSurvivesAContradictoryComparison) {
    std::vector<int> keys = {2, 1, 2, 1, 0};
    auto order = sortlist::SortedOrder(5, [&](int a, int b) { return keys[a] - keys[b]; });
    EXPECT_EQ(order, (std::vector<int>{4, 1, 3, 0, 2}));

    auto chaos = sortlist::SortedOrder(50, [](int a, int b) { return (a * 7 + b * 3) % 3 - 1; });
    std::sort(chaos.begin(), chaos.end());
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(chaos[i], i);
    }
}

// Where the arrow's pixels are in the heading of `column`: the width of its top and bottom rows.
struct ArrowShape {
    int pixels = 0;
    int topWidth = 0;
    int bottomWidth = 0;
};

ArrowShape FindArrow(CSortHeaderCtrl* header, int column, QColor light, QColor shadow) {
    QImage image = header->grab().toImage();
    QRect section(header->sectionViewportPosition(column), 0, header->sectionSize(column),
                  header->height());
    ArrowShape shape;
    int top = -1, bottom = -1;
    std::map<int, int> widths;
    for (int y = section.top(); y < section.bottom() && y < image.height(); ++y) {
        for (int x = section.left(); x < section.left() + section.width(); ++x) {
            QColor c = image.pixelColor(x, y);
            if (c == light || c == shadow) {
                ++shape.pixels;
                ++widths[y];
                top = top < 0 ? y : top;
                bottom = y;
            }
        }
    }
    if (shape.pixels) {
        shape.topWidth = widths[top];
        shape.bottomWidth = widths[bottom];
    }
    return shape;
}

TEST_F(SortList, HeadingShowsArrowOfTheSortDirection) {
    const QColor light(255, 0, 0), shadow(0, 0, 255);
    QPalette palette = m_list->Header()->palette();
    palette.setColor(QPalette::Light, light);
    palette.setColor(QPalette::Dark, shadow);
    palette.setColor(QPalette::Button, Qt::white);
    palette.setColor(QPalette::Mid, Qt::gray);
    m_list->Header()->setPalette(palette);
    m_list->Header()->setFixedHeight(24);
    Add("1", "A", "1");
    Add("2", "B", "2");

    ClickHeading(1);
    ArrowShape up = FindArrow(m_list->Header(), 1, light, shadow);
    ASSERT_GT(up.pixels, 0);
    EXPECT_LE(up.topWidth, 2) << "ascending: apex at the top";
    EXPECT_GT(up.bottomWidth, 3);

    ClickHeading(1);
    ArrowShape down = FindArrow(m_list->Header(), 1, light, shadow);
    ASSERT_GT(down.pixels, 0);
    EXPECT_GT(down.topWidth, 3);
    EXPECT_LE(down.bottomWidth, 2) << "descending: apex at the bottom";

    ClickHeading(2);
    EXPECT_EQ(FindArrow(m_list->Header(), 1, light, shadow).pixels, 0)
        << "an earlier sort column loses its arrow";
    EXPECT_TRUE(m_list->Header()->IsOwnerDrawn(1));
    EXPECT_FALSE(m_list->Header()->IsOwnerDrawn(0));
    EXPECT_GT(FindArrow(m_list->Header(), 2, light, shadow).pixels, 0);
}

TEST(ProfileBinary, WidthRecordLineAsWrittenByWindows) {
    // Three columns of 30, 120 and 110 pixels.
    const std::string line = "DAAAAAAAOBAAAAAAIHAAAAAAOGAAAAAA";
    auto bytes = profilebinary::Decode(line);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(profilebinary::LoadWidths(*bytes), (std::vector<int>{30, 120, 110}));
    EXPECT_EQ(profilebinary::Encode(profilebinary::StoreWidths({30, 120, 110})), line);

    EXPECT_FALSE(profilebinary::Decode("DAA")) << "odd length";
    EXPECT_FALSE(profilebinary::Decode("DAAZ")) << "not a letter A..P";
    EXPECT_FALSE(profilebinary::LoadWidths({3, 0, 0, 0, 30, 0, 0, 0})) << "cut short";
    EXPECT_FALSE(profilebinary::LoadWidths(profilebinary::StoreWidths({30, -5})));
}

TEST_F(SortList, ColumnWidthsComeFromTheSettingsWhenTheyFit) {
    platform::IniFile ini;
    m_list->LoadColumnWidths(&ini);
    EXPECT_EQ(m_list->Header()->sectionSize(0), 30) << "no value: the heading widths stay";
    EXPECT_EQ(m_list->Header()->sectionSize(1), 120);
    EXPECT_EQ(m_list->Header()->sectionSize(2), 110);

    ini.SetString("ListCtrls", "1040", profilebinary::Encode(profilebinary::StoreWidths({40, 50})));
    m_list->LoadColumnWidths(&ini);
    EXPECT_EQ(m_list->Header()->sectionSize(1), 120) << "two widths for three columns: ignored";

    ini.SetString("ListCtrls", "1040", "not a record");
    m_list->LoadColumnWidths(&ini);
    EXPECT_EQ(m_list->Header()->sectionSize(1), 120);

    ini.SetString("ListCtrls", "1040",
                  profilebinary::Encode(profilebinary::StoreWidths({40, 150, 90})));
    m_list->LoadColumnWidths(&ini);
    EXPECT_EQ(m_list->Header()->sectionSize(0), 40);
    EXPECT_EQ(m_list->Header()->sectionSize(1), 150);
    EXPECT_EQ(m_list->Header()->sectionSize(2), 90);
    EXPECT_EQ(profilebinary::LoadWidths(m_list->Header()->StoreWidths()),
              (std::vector<int>{40, 150, 90}));
}

}  // namespace
