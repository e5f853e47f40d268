#include "CScreenshotSaver.h"

#include "CImageEncoders.h"
#include "CScreenshot.h"
#include "IDialogs.h"

#include <QDir>
#include <QFileInfo>

void CScreenshotSaver::Save(const QImage& picture, QWidget* dialogOwner, QWidget* messageOwner,
                            const QString& unreadable) {
    if (picture.isNull()) {
        m_dialogs.ShowWarning(messageOwner,
                              QString("No screenshot was taken.\n\n%1")
                                  .arg(unreadable.isEmpty() ? "The screen could not be read."
                                                            : unreadable),
                              "Ravlin");
        return;
    }
    const CSaveFileChoice choice = m_dialogs.GetSaveFileName(
        dialogOwner, "Save As", CScreenshot::Filters(), CScreenshot::kPngFilter);
    if (choice.IsCancelled())
        return;
    // ".jpeg" is a JPEG's name too, though the list offers ".jpg".
    const QString path = choice.FinalPath(CScreenshot::Filters(), {QStringLiteral("jpeg")});
    if (QFileInfo::exists(path) &&
        !m_dialogs.AskYesNo(messageOwner,
                            QFileInfo(path).fileName() +
                                " already exists.\nDo you want to replace it?",
                            "Confirm Save As"))
        return;
    QString reason;
    if (CImageEncoders::Save(picture, path, CScreenshot::MimeForFileName(path), &reason))
        return;
    // Nothing half-written is left behind; the user must know the picture was not saved.
    m_dialogs.ShowWarning(messageOwner,
                          QString("The screenshot was not saved to %1.\n\n%2")
                              .arg(QDir::toNativeSeparators(path), reason),
                          "Ravlin");
}
