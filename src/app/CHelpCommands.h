#pragma once
// Help and About: opening the user guide that ships beside the executable, and the About box.
#include "CommandIds.h"

#include <QString>
#include <QUrl>
#include <functional>

class CCommandMap;
class IDialogs;
class QWidget;

class CHelpCommands {
public:
    static constexpr const char* kHelpDocument = "./Ravlin_Help_Win.pdf";

    // Opens an address with the desktop's handler; false when nothing could open it.
    using Opener = std::function<bool(const QUrl&)>;
    // The desktop's application for PDF documents, empty when none is registered.
    using PdfHandlerQuery = std::function<QString()>;

    // `appFolder`: where the guide ships — the program's data folder (beside the executable, or
    // ../share/ravlin when installed) unless a test says otherwise.
    explicit CHelpCommands(IDialogs& dialogs, const QString& appFolder = QString());

    // Rows for Help (32808) and About (32807).
    void Register(CCommandMap& commands);

    void OnHelp();
    void OnAbout();

    // Seams for tests: where addresses go and how the PDF handler is found.
    void SetOpener(Opener opener) { m_opener = std::move(opener); }
    void SetPdfHandlerQuery(PdfHandlerQuery query) { m_pdfHandler = std::move(query); }
    // Runs the About box; tests look at it instead of running it modally.
    std::function<void(QWidget& dialog)> runDialog;

    // `xdg-mime query default application/pdf`.
    static QString QueryPdfHandler();

private:
    IDialogs& m_dialogs;
    QString m_appFolder;
    Opener m_opener;
    PdfHandlerQuery m_pdfHandler;
};
