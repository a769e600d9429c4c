#include "controls/IphoneButton.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillory;
using State = CIphoneButtonState;

TEST(IphoneButtonState, ClickedStaysClickedWhilePointerComesAndGoes) {
    State s;
    s.OnEnter();
    EXPECT_EQ(s.GetState(), State::Hover);
    s.OnPress();
    s.OnRelease(true);
    EXPECT_EQ(s.GetState(), State::Clicked);
    s.OnLeave();
    s.OnEnter();
    EXPECT_EQ(s.GetState(), State::Clicked);
    EXPECT_EQ(s.PictureToDraw(), State::ClickPicture);
    EXPECT_TRUE(s.DrawnShifted());
    s.SetNormal();
    EXPECT_EQ(s.PictureToDraw(), State::NormalPicture);
    EXPECT_FALSE(s.DrawnShifted());
}

TEST(IphoneButtonState, ReleaseOutsideFallsBackUnlessItWasClicked) {
    State s;
    s.OnEnter();
    s.OnPress();
    EXPECT_EQ(s.PictureToDraw(), State::ClickPicture);
    s.OnLeave();
    s.OnRelease(false);
    EXPECT_EQ(s.GetState(), State::Normal);

    s.SetClicked();
    s.OnPress();
    s.OnLeave();
    s.OnRelease(false);
    EXPECT_EQ(s.GetState(), State::Clicked);
}

TEST(IphoneButtonState, DisabledDrawsItsOwnPictureAndIgnoresThePointer) {
    State s;
    s.SetClicked();
    s.OnEnabledChanged(false);
    EXPECT_EQ(s.PictureToDraw(), State::DisablePicture);
    EXPECT_FALSE(s.DrawnShifted());
    s.OnPress();
    s.OnRelease(true);
    s.OnEnter();
    EXPECT_EQ(s.GetState(), State::Disabled);
    s.OnEnabledChanged(true);
    EXPECT_EQ(s.GetState(), State::Normal);
}

namespace {

// Four plain pictures of distinct colours; only Normal decides the size.
class IphoneButtonWidget : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QColor colours[4] = {Qt::red, Qt::green, Qt::blue, Qt::gray};

    void SetUp() override {
        const char* names[4] = {"Normal", "Hover", "Click", "Disable"};
        for (int i = 0; i < 4; ++i) {
            QImage image(i == 0 ? QSize(40, 30) : QSize(10, 10), QImage::Format_ARGB32);
            image.fill(colours[i]);
            ASSERT_TRUE(image.save(dir.filePath(QString("Btn%1.png").arg(names[i]))));
        }
    }

    static QColor CentreOf(QWidget& w) {
        return w.grab().toImage().pixelColor(w.width() / 2, w.height() / 2);
    }
    static QColor CornerOf(QWidget& w) { return w.grab().toImage().pixelColor(0, 0); }

    static void Send(QWidget& w, QEvent::Type type) {
        const QPointF inside(5, 5);
        if (type == QEvent::Enter) {
            QEnterEvent e(inside, inside, w.mapToGlobal(inside));
            QApplication::sendEvent(&w, &e);
            return;
        }
        if (type == QEvent::Leave) {
            QEvent e(QEvent::Leave);
            QApplication::sendEvent(&w, &e);
            return;
        }
        QMouseEvent e(type, inside, w.mapToGlobal(inside), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &e);
    }
};

} // namespace

TEST_F(IphoneButtonWidget, TakesTheSizeOfItsNormalPicture) {
    CIphoneButton button;
    EXPECT_TRUE(button.LoadPictures(dir.path(), "Btn"));
    EXPECT_EQ(button.size(), QSize(40, 30));
    EXPECT_FALSE(button.LoadPictures(dir.path(), "Missing"));
}

TEST_F(IphoneButtonWidget, AClickedButtonKeepsItsClickPictureWhileHovered) {
    CIphoneButton button;
    ASSERT_TRUE(button.LoadPictures(dir.path(), "Btn"));
    int clicks = 0;
    QObject::connect(&button, &CIphoneButton::clicked, [&] { ++clicks; });
    button.show();

    EXPECT_EQ(CornerOf(button), colours[0]);
    Send(button, QEvent::Enter);
    EXPECT_EQ(CentreOf(button), colours[1]);
    // Hover and click pictures sit one pixel in: the top-left pixel is not covered.
    EXPECT_NE(CornerOf(button), colours[1]);

    Send(button, QEvent::MouseButtonPress);
    Send(button, QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button.GetState(), State::Clicked);
    Send(button, QEvent::Leave);
    Send(button, QEvent::Enter);
    EXPECT_EQ(CentreOf(button), colours[2]);

    button.SetStateNormal();
    EXPECT_EQ(CornerOf(button), colours[0]);
    button.setEnabled(false);
    EXPECT_EQ(CornerOf(button), colours[3]);
}
