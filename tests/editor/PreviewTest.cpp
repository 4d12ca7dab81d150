// The preview window as a window: owned by the main window.
#include <QWindow>

#include "EditorTestSupport.h"
#include "display/qt/FrmPreview.h"

namespace quilmark::test {
namespace {

using Preview = DocumentTest;

TEST_F(Preview, OwnedByTheMainWindowWithoutModalityOrTaskbarEntryAndClosedWithIt) {
  window->mnuImagesPreview_Click();
  window->mnuImagesPreview_Click();
  QList<QPointer<FrmPreview>> open;
  for (FrmPreview* p : window->findChildren<FrmPreview*>()) open << p;
  ASSERT_EQ(open.size(), 2);
  for (const QPointer<FrmPreview>& p : open) {
    QWindow* handle = p->windowHandle();
    ASSERT_TRUE(handle);
    // A transient of the main window, of a kind that window managers keep
    // above its owner and leave out of the taskbar (WM_TRANSIENT_FOR on X11,
    // an owned window elsewhere).
    EXPECT_EQ(handle->transientParent(), window->windowHandle());
    EXPECT_TRUE(handle->type() == Qt::Dialog || handle->type() == Qt::Tool) << handle->type();
    EXPECT_TRUE(handle->flags() & Qt::WindowTitleHint);
    EXPECT_EQ(handle->modality(), Qt::NonModal);
  }
  // The main window goes on taking input while they play.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  ClickRow(1);
  EXPECT_EQ(window->State().CurrentAnimation->Name, "beta");
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(open[0].isNull() && open[1].isNull());
}

}  // namespace
}  // namespace quilmark::test
