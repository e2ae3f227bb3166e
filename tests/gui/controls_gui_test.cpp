// The custom statics, the background picture holder, the pictures and the password dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <memory>

#include "controls/button_ex.h"
#include "controls/dib_graph.h"
#include "controls/static_ex.h"
#include "dialogs/dlg_password.h"
#include "res/pictures.h"
#include "tests/support/gui/page_fixture.h"

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        m_parent = std::make_unique<QWidget>();
        m_parent->resize(200, 100);
        m_parent->setAutoFillBackground(true);
        QPalette palette;
        palette.setColor(QPalette::Window, Qt::white);
        m_parent->setPalette(palette);
    }
    CStaticEx* Make(const QString& text, unsigned style, QRect rect) {
        auto* control = new CStaticEx(m_parent.get());
        control->Create(text, style | WS_VISIBLE, rect, m_parent.get(), 77);
        return control;
    }
    QImage Render() {
        m_parent->show();
        QApplication::processEvents();
        return m_parent->grab().toImage();
    }
    static void Press(QWidget* widget) {
        const QPointF at(2, 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
    }
    std::unique_ptr<QWidget> m_parent;
};

int CountPixels(const QImage& image, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixelColor(x, y) == colour;
        }
    }
    return count;
}

TEST_F(ControlsTest, NotifyStaticIsUnderlinedTakesTheMouseAndReportsClicks) {
    CStaticEx* plain = Make("Link", SS_CENTER, QRect(0, 0, 60, 20));
    CStaticEx* link = Make("Link", SS_CENTER | SS_NOTIFY, QRect(100, 0, 60, 20));
    plain->m_crColor = link->m_crColor = QColor(0, 0, 255);
    const QImage image = Render();
    // The underline adds blue pixels below the letters.
    const int plainBlue = CountPixels(image, QRect(0, 0, 60, 20), QColor(0, 0, 255));
    const int linkBlue = CountPixels(image, QRect(100, 0, 60, 20), QColor(0, 0, 255));
    EXPECT_GT(plainBlue, 0);
    EXPECT_GT(linkBlue, plainBlue);

    EXPECT_TRUE(plain->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(link->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(link->testAttribute(Qt::WA_SetCursor));
    EXPECT_FALSE(plain->testAttribute(Qt::WA_SetCursor));

    int clicked = 0;
    QObject::connect(link, &CStaticEx::Clicked, [&](int id) { clicked = id; });
    Press(link);
    EXPECT_EQ(clicked, 77);
}

TEST_F(ControlsTest, LampFillsItsRectangleOnlyWhileShown) {
    CStaticEx* lamp = Make("2", SS_CENTER, QRect(10, 10, 15, 15));
    lamp->m_nDrawMode = DRAW_LAMP;
    lamp->m_crColor = QColor(0, 128, 0);
    lamp->hide();
    QImage image = Render();
    EXPECT_EQ(CountPixels(image, QRect(10, 10, 15, 15), QColor(255, 255, 255)), 15 * 15);
    lamp->show();
    image = Render();
    EXPECT_EQ(image.pixelColor(17, 17), QColor(0, 128, 0));
    EXPECT_EQ(image.pixelColor(10, 10), QColor(255, 255, 255)) << "a disc, not a square";
    EXPECT_EQ(image.pixelColor(26, 17), QColor(255, 255, 255)) << "nothing outside the rectangle";
}

TEST_F(ControlsTest, BitmapStaticStretchesItsBitmapOrLeavesTheBackground) {
    CStaticEx* none = Make("", SS_LEFT, QRect(0, 0, 50, 40));
    none->m_nDrawMode = DRAW_BITMAP;
    CStaticEx* lit = Make("", SS_LEFT, QRect(100, 0, 48, 40));
    lit->m_nDrawMode = DRAW_BITMAP;
    lit->m_nBitmapID = res::IDB_WEEKDAY_LIT_FIRST;  // 24 x 20, shown twice as large
    const QImage image = Render();
    EXPECT_EQ(CountPixels(image, QRect(0, 0, 50, 40), QColor(255, 255, 255)), 50 * 40);
    EXPECT_EQ(image.pixelColor(101, 1), QColor(255, 230, 0));
    EXPECT_EQ(image.pixelColor(143, 38), QColor(255, 230, 0));
}

TEST(Pictures, HaveTheSizesThePagesExpect) {
    EnsureQtApplication();
    EXPECT_EQ(LoadPicture(res::IDR_STATUS_JPG).size(), QSize(726, 512));
    const int widths[5] = {24, 21, 22, 21, 22};
    for (int day = 0; day < 5; ++day) {
        EXPECT_EQ(LoadPicture(res::IDB_WEEKDAY_PLAIN_FIRST + day).size(), QSize(widths[day], 20));
        EXPECT_EQ(LoadPicture(res::IDB_WEEKDAY_LIT_FIRST + day).size(), QSize(widths[day], 20));
    }
    EXPECT_EQ(LoadPicture(res::IDB_WEEKDAY_STRIP).size(), QSize(110, 20));
    EXPECT_EQ(LoadPicture(res::IDB_ACCEPT).size(), QSize(93, 25));
    EXPECT_EQ(LoadPicture(res::IDB_ACCEPT_GREY).size(), QSize(91, 28));
    EXPECT_TRUE(LoadPicture(4242).isNull());
    EXPECT_TRUE(HasPicture(res::IDR_STATUS_JPG, res::PictureType::Jpg));
    EXPECT_FALSE(HasPicture(res::IDB_ACCEPT, res::PictureType::Jpg));

    const QCursor hand = HandCursor();
    EXPECT_EQ(hand.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(hand.hotSpot(), QPoint(16, 14));
}

TEST(DIBGraph, LoadsOnlyJpgResourcesAndKeepsTheRectangleItIsGiven) {
    EnsureQtApplication();
    CDIBGraph graph;
    EXPECT_EQ(graph.LoadJPG(4242), 0);
    EXPECT_EQ(graph.m_bPicture, 1);
    EXPECT_FALSE(graph.HasPicture());
    EXPECT_EQ(graph.LoadJPG(res::IDB_ACCEPT), 0) << "a bitmap is not a JPG";
    EXPECT_EQ(graph.LoadJPG(res::IDR_STATUS_JPG), 1);
    EXPECT_EQ(graph.m_rcPicture, QRect(0, 0, 726, 512));
    EXPECT_EQ(graph.LoadJPG(res::IDR_STATUS_JPG, QRect(5, 6, 70, 80)), 1);
    EXPECT_EQ(graph.m_rcPicture, QRect(5, 6, 70, 80));
}

TEST(DIBGraph, DrawsStretchedAndPartsOnlyFromInsideThePicture) {
    EnsureQtApplication();
    CDIBGraph graph;
    QImage image(100, 60, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        graph.Draw(painter, image.rect());  // nothing held: nothing drawn
    }
    EXPECT_EQ(image.pixelColor(50, 30), QColor(Qt::black));

    // The weekday strip's frame is a bitmap; wrap it as a picture to watch the stretching.
    graph.m_pPicture = LoadPicture(res::IDB_WEEKDAY_LIT_FIRST);  // 24 x 20 yellow
    graph.m_rcPicture = QRect(0, 0, 24, 20);
    {
        QPainter painter(&image);
        graph.Draw(painter, QRect(0, 0, 96, 60));
    }
    EXPECT_EQ(image.pixelColor(1, 1), QColor(255, 230, 0));
    EXPECT_EQ(image.pixelColor(90, 58), QColor(255, 230, 0));
    EXPECT_EQ(image.pixelColor(98, 30), QColor(Qt::black));

    image.fill(Qt::black);
    {
        QPainter painter(&image);
        graph.Draw(painter, 0, 0, 10, 10, 24, 0);  // starts outside the picture
        graph.Draw(painter, 0, 0, 10, 10, 0, 20);
    }
    EXPECT_EQ(CountPixels(image, image.rect(), QColor(Qt::black)), 100 * 60);
    {
        QPainter painter(&image);
        graph.Draw(painter, 50, 30, 100, 100, 20, 16);  // clipped to 4 x 4
    }
    EXPECT_EQ(CountPixels(image, image.rect(), QColor(Qt::black)), 100 * 60 - 16);
}

TEST(PasswordDialog, TakesAtMostEightMaskedCharactersAndAcceptsEmpty) {
    EnsureQtApplication();
    CDlgPassword dialog;
    EXPECT_EQ(dialog.windowTitle(), "Password");
    EXPECT_EQ(dialog.m_strPassword, "");
    QLineEdit* edit = dialog.Edit();
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    for (char c : std::string("abcdefghi")) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c)));
        QApplication::sendEvent(edit, &key);
    }
    EXPECT_EQ(edit->text(), "abcdefgh") << "a ninth character cannot be typed";
    edit->clear();
    for (QChar c : QString::fromUtf8("p\u20acw\u00e9")) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &key);
    }
    EXPECT_EQ(edit->text(), QString::fromUtf8("pw\u00e9")) << "only 8-bit characters";
    edit->setText("abcdefgh");
    dialog.accept();
    EXPECT_EQ(dialog.m_strPassword, "abcdefgh");

    CDlgPassword empty;
    empty.accept();
    EXPECT_EQ(empty.result(), QDialog::Accepted);
    EXPECT_EQ(empty.m_strPassword, "");
}

TEST(ButtonEx, ShowsTheHandCursor) {
    EnsureQtApplication();
    CButtonEx button("Accept");
    EXPECT_TRUE(button.testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(button.cursor().hotSpot(), QPoint(16, 14));
}

}  // namespace
