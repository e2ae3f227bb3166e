// The four device pages on a real X display (run under Xvfb with Qt's xcb platform), filled from
// the simulated unit with typical and with the longest values it sends: every value and every
// caption must stand whole in its cell, measured with the font that actually resolved on this
// machine. The pictures of the pages are saved in the build folder (display/<variant>-<page>.png).
//
// CORVANTIS_DISPLAY_VARIANT names the run (liberation, dejavu, scale2); the fonts and the scale
// factor come from the environment CTest gives each run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QLineEdit>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/halvoric_view.h"
#include "controls/button_ex.h"
#include "controls/static_ex.h"
#include "pages/accept_watch.h"
#include "pages/dlg_parent.h"
#include "pages/web_page.h"
#include "pages/web_page_config.h"
#include "pages/web_page_report.h"
#include "res/fit_text.h"
#include "res/pictures.h"
#include "sim/unit_state.h"
#include "tests/support/gui/page_fixture.h"

namespace {

std::string Variant() {
    const char* variant = std::getenv("CORVANTIS_DISPLAY_VARIANT");
    return variant && *variant ? variant : "liberation";
}

// The longest texts the unit puts in each cell: models at their longest usual length, every
// dryer present with the longest state names, a full roster, a long system name, account and
// scripts.
sim::UnitState Longest() {
    sim::UnitState s = sim::UnitState::Demo();
    const char* const models[] = {"HX-1200 TWIN", "HX-1200 TWIN", "DX-800 WIDE",  "DX-800 WIDE",
                                  "RX-2500 DUAL", "RX-2500 DUAL", "MX-9000 LONG", "MX-9000 LONG"};
    for (int n = 1; n <= sim::UnitState::kDryers; ++n) {
        sim::Dryer& d = s.dryers[n - 1];
        d.present = n != 8;  // one "Not Installed"
        d.model = models[n - 1];
        d.role = 1 + (n % 3);
        d.condition = n % 2 ? sim::DryerCondition::Standby : sim::DryerCondition::Online;
    }
    s.cycle.maintenanceDryer = 3;  // "Maintenance"
    s.cycle.minOnline = 7;
    s.cycle.nextDate = "12/28/2026";
    s.cycle.nextTime = "23:30";
    s.cycle.mode = sim::kDaysMode + sim::kMonday + sim::kWednesday + sim::kFriday;
    s.cycle.alarmDelay = 10;
    s.cycle.exerciseDryer = 0;
    s.cycle.exerciseDuration = 0;
    s.reporting = {
        "NORTH PLANT COMPRESSOR ROOM WEST - DRYER BANK 2 (BUILDING 14)",
        "Y",
        "smtp.north-plant.example.com",
        "dryer.unit.north.plant",
        "Secret.Pass-2026",
        "dryers.north@example.com",
        "maintenance.shift@example.com",
        "Maintenance shift lead",
        "plant.manager@example.com",
        "Plant manager office",
        "control.room@example.com",
        "Control room operators",
        "Night shift pager",
        "1-800-555-0199",
        "\\W4\\XM\\r\\W2\\X[Content]\\r\\W2\\S\\X//\\U\\X//\\L\\X//\\A\\X//\\R\\X//\\D\\X//"
        "\\T\\r\\r",
        "Weekend pager",
        "1-800-555-0142",
        "\\W4\\XM\\r\\W2\\X[Content]\\r\\W2\\S\\X//\\U\\X//\\L\\X//\\A\\X//\\R\\X//\\D\\X//"
        "\\T\\r\\r",
        "Service contractor",
        "1-800-555-0177",
        "\\W4\\XM\\r\\W2\\X[Content]\\r\\W2\\S\\X//\\U\\X//\\L\\X//\\A\\X//\\R\\X//\\D\\X//"
        "\\T\\r\\r"};
    for (int n = 1; n <= 7; ++n) {
        s.RaiseAlarm(n, "2026-12-07 04:1" + std::to_string(n));
    }
    s.dryers[1].condition = sim::DryerCondition::Offline;
    for (int i = 0; i < 40; ++i) {
        s.AddEvent(8, "Alarm Reset", "Dryer 8 high dew point", "2026-12-07", "23:59:59");
    }
    return s;
}

class PageFitOnDisplay : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        ASSERT_EQ(QGuiApplication::platformName(), "xcb")
            << "run under Xvfb with QT_QPA_PLATFORM=xcb";
        m_view = std::make_unique<CHalvoricView>(nullptr);
        m_view->resize(m_view->PageHost()->sizeHint());
        m_view->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        m_view.reset();
        PageFixture::TearDown();
    }

    CWebPage* Page(int i) const { return m_view->PageHost()->Page(i); }

    void Fill(const sim::UnitState& unit) {
        ASSERT_EQ(Reply(*Page(0), unit.StatusRecord("2026-12-07 23:59:59") + "EOT"), 1);
        ASSERT_EQ(Reply(*Page(1), unit.CycleRecord() + "EOT"), 1);
        ASSERT_EQ(Reply(*Page(2), unit.ReportingRecord() + "EOT"), 1);
        ASSERT_EQ(Reply(*Page(3), unit.EventPageText() + "EOT"), 1);
        // Filled from the unit, the settings pages have nothing to accept.
        auto* cycle = static_cast<CWebPage_Config*>(Page(1));
        auto* report = static_cast<CWebPage_Report*>(Page(2));
        cycle->Watch()->Check();
        report->Watch()->Check();
        EXPECT_EQ(ComposeSettings(cycle->ReadForm()), cycle->m_strShownSettings);
        EXPECT_TRUE(cycle->AcceptButton()->isHidden());
        EXPECT_EQ(ComposeReportRecord(report->ReadForm()), report->m_strLastReply);
        EXPECT_TRUE(report->AcceptButton()->isHidden());
    }

    // Shows page `i` and saves the window's picture.
    void Save(int i, const std::string& fill) {
        auto* tabs = m_view->PageHost()->findChild<QTabBar*>();
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        static const char* const kNames[] = {"status", "cycle", "reporting", "event"};
        const QString dir = QString(CORVANTIS_BINARY_DIR) + "/display";
        QDir().mkpath(dir);
        const QString file = QString("%1/%2-%3-%4.png")
                                 .arg(dir, QString::fromStdString(Variant()),
                                      QString::fromStdString(fill), kNames[i]);
        EXPECT_TRUE(m_view->grab().save(file)) << file.toStdString();
    }

    std::unique_ptr<CHalvoricView> m_view;
};

struct Clip {
    std::string where;
    std::string text;
    std::string font;
    int need = 0;
    int room = 0;
};

// Whether `font` resolved to a face whose letters all have one width (QFontInfo::fixedPitch does
// not say so for every such face).
bool Monospaced(const QFont& font) {
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance("iiiiiiii") == metrics.horizontalAdvance("WWWWWWWW");
}

std::string Describe(const QFont& font) {
    const QFontInfo info(font);
    return info.family().toStdString() + " " + std::to_string(info.pixelSize()) + "px" +
           (Monospaced(font) ? " fixed-pitch" : "");
}

void Measure(const QString& where, const QString& text, const QFont& font, const QSize& room,
             std::vector<Clip>& clips) {
    if (text.isEmpty()) {
        return;
    }
    const QFontMetrics metrics(font);
    const int need = std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).width());
    const bool fixed = Monospaced(font);
    if (need > room.width() || metrics.height() > room.height() || fixed) {
        clips.push_back(
            {where.toStdString(), text.toStdString(), Describe(font), need, room.width()});
    }
}

// Every text the page shows, measured in the font it is drawn with.
std::vector<Clip> ClippedOn(QWidget& page) {
    std::vector<Clip> clips;
    for (CStaticEx* label : page.findChildren<CStaticEx*>()) {
        if (label->isVisible() && label->m_nDrawMode == DRAW_TEXT) {
            Measure(QString("static %1").arg(label->Id()), label->WindowText(), label->TextFont(),
                    label->size(), clips);
        }
    }
    for (QLineEdit* edit : page.findChildren<QLineEdit*>()) {
        if (!edit->isVisible() || edit->echoMode() != QLineEdit::Normal) {
            continue;
        }
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(
                                                  QStyle::PM_DefaultFrameWidth, &option, edit)
                                            : 0;
        QRect room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        room = room.marginsRemoved(edit->textMargins());
        room.adjust(2, 0, -2, 0);  // the edit's own margin on each side
        Measure(QString("edit %1").arg(edit->objectName()), edit->text(), edit->font(), room.size(),
                clips);
    }
    for (QComboBox* combo : page.findChildren<QComboBox*>()) {
        if (!combo->isVisible()) {
            continue;
        }
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        const QRect room = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, combo);
        Measure(QString("combo at %1,%2").arg(combo->x()).arg(combo->y()), combo->currentText(),
                combo->font(), room.size(), clips);
    }
    return clips;
}

// Every label, head and caption the pictures carry, in the font each was drawn in.
std::vector<Clip> ClippedInPictures() {
    std::vector<Clip> clips;
    std::vector<int> ids = {res::IDR_STATUS_JPG,   res::IDR_EVENT_JPG, res::IDR_REPORTING_JPG,
                            res::IDR_CYCLE_JPG,    res::IDB_ACCEPT,    res::IDB_ACCEPT_GREY,
                            res::IDB_WEEKDAY_STRIP};
    for (int id = res::IDB_PAGING_FIRST; id <= res::IDB_HEAD_LAST; ++id) {
        ids.push_back(id);
    }
    for (int id : ids) {
        const std::vector<textfit::DrawnText> texts = PictureTexts(id);
        EXPECT_FALSE(texts.empty()) << "picture " << id << " carries texts";
        const QRect area(QPoint(0, 0), LoadPicture(id).deviceIndependentSize().toSize());
        for (const textfit::DrawnText& text : texts) {
            EXPECT_TRUE(area.contains(text.rect))
                << "picture " << id << ": \"" << text.text.toStdString()
                << "\" outside the picture";
            Measure(QString("picture %1").arg(id), text.text, text.font, text.rect.size(), clips);
        }
    }
    return clips;
}

std::string Report(const std::vector<Clip>& clips) {
    std::string text;
    for (const Clip& clip : clips) {
        text += "  " + clip.where + ": \"" + clip.text + "\" needs " + std::to_string(clip.need) +
                " px of " + std::to_string(clip.room) + " in " + clip.font + "\n";
    }
    return text;
}

TEST_F(PageFitOnDisplay, EveryValueAndCaptionStandsWholeInItsCell) {
    const std::string variant = Variant();
    const QFontInfo arial(Page(0)->font());
    std::cout << "variant " << variant << ": page font resolves to " << Describe(Page(0)->font())
              << ", scale " << m_view->devicePixelRatioF() << "\n";
    if (variant == "dejavu") {
        EXPECT_EQ(arial.family(), "DejaVu Sans") << "the run must hide Liberation";
    } else {
        EXPECT_EQ(arial.family(), "Liberation Sans");
    }
    // The fixed-pitch font stays on the view; the host, its tab strip and the pages have their
    // templates' proportional fonts.
    EXPECT_TRUE(Monospaced(m_view->font()));
    EXPECT_FALSE(Monospaced(m_view->PageHost()->font()));
    EXPECT_FALSE(Monospaced(m_view->PageHost()->findChild<QTabBar*>()->font()));
    if (variant == "scale2") {
        EXPECT_EQ(m_view->devicePixelRatioF(), 2.0);
    }

    for (const auto& [fill, unit] : {std::pair{std::string("typical"), sim::UnitState::Demo()},
                                     std::pair{std::string("longest"), Longest()}}) {
        Fill(unit);
        for (int i = 0; i < 4; ++i) {
            Save(i, fill);
            const std::vector<Clip> clips = ClippedOn(*Page(i));
            EXPECT_TRUE(clips.empty()) << fill << " values, page " << i << ":\n" << Report(clips);
        }
        auto* tabs = m_view->PageHost()->findChild<QTabBar*>();
        std::vector<Clip> captions;
        for (int i = 0; i < tabs->count(); ++i) {
            Measure(QString("tab %1").arg(i), tabs->tabText(i).trimmed(), tabs->font(),
                    tabs->tabRect(i).size() - QSize(8, 0), captions);
        }
        EXPECT_TRUE(captions.empty()) << Report(captions);
    }
    const std::vector<Clip> labels = ClippedInPictures();
    EXPECT_TRUE(labels.empty()) << "picture labels:\n" << Report(labels);
}

// At a device pixel ratio of 2 the pictures are drawn with twice the pixels, not scaled up.
TEST_F(PageFitOnDisplay, PicturesHaveThePixelsOfTheScreen) {
    const double ratio = m_view->devicePixelRatioF();
    for (int id : {res::IDR_STATUS_JPG, res::IDB_ACCEPT, res::IDB_WEEKDAY_STRIP}) {
        const QPixmap picture = LoadPicture(id, ratio);
        EXPECT_EQ(picture.devicePixelRatio(), ratio) << id;
        EXPECT_EQ(picture.size(), (picture.deviceIndependentSize() * ratio).toSize()) << id;
        EXPECT_EQ(picture.deviceIndependentSize().toSize(), LoadPicture(id, 1.0).size()) << id;
    }
}

}  // namespace
