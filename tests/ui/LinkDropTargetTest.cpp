#include "ui/LinkDropTarget.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace zv;

TEST(LinkDropTarget, DroppedOrPastedWebLinksAreTakenAndTheClipboardIsOnlyRead)
{
    std::vector<std::vector<std::string>> taken;
    LinkDropTarget target([&taken](LinkBatch batch) { taken.push_back(batch.urls); });
    QWidget window;
    QWidget grid(&window);
    target.watchDrops(window);
    target.watchPaste(grid);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QMimeData uriList;
    uriList.setData(QStringLiteral("text/uri-list"), "# from a browser\r\nhttp://a.example/x.zip\r\nfile:///tmp/y\r\n");
    // A drop goes where the drag entered.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &uriList, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &uriList, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_TRUE(drop.isAccepted());

    // Text without any web link is not ours to take.
    QMimeData words;
    words.setText(QStringLiteral("just words"));
    QDragEnterEvent wordsEnter(QPoint(5, 5), Qt::CopyAction, &words, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &wordsEnter);
    EXPECT_FALSE(wordsEnter.isAccepted());

    const QString clipboard = QStringLiteral("  https://b.example/1.zip\n\nhttps://b.example/2.zip\n");
    QGuiApplication::clipboard()->setText(clipboard);
    QTest::keyClick(&grid, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_V, Qt::ControlModifier); // only the grid pastes

    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0], (std::vector<std::string>{"http://a.example/x.zip", "file:///tmp/y"}));
    EXPECT_EQ(taken[1], (std::vector<std::string>{"https://b.example/1.zip", "https://b.example/2.zip"}));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), clipboard);
}
