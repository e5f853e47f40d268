#pragma once
// The About box: the icon, the version, the owner's notice and two links, to the web site and
// to the support address. A click on a link hands its address to the opener.
#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;

class CDlgAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kWebsite = "https://www.example.org/ravlin";
    static constexpr const char* kSupportAddress = "support@example.org";

    CDlgAbout(std::function<bool(const QUrl&)> opener, QWidget* parent = nullptr);

    // "major.minor.build.revision" (missing parts count as 0) as the About box writes it:
    // trailing zero build and revision are left out, an all-zero or unreadable version is empty.
    static QString VersionText(const QString& version);
    // The running program's version, from the build.
    static QString GetFileVersionText();

    QLabel* VersionLabel() const { return m_version; }
    QLabel* WebsiteLink() const { return m_website; }
    QLabel* SupportLink() const { return m_support; }

private:
    void OnLinkClicked(const QString& address);

    std::function<bool(const QUrl&)> m_opener;
    QLabel* m_version = nullptr;
    QLabel* m_website = nullptr;
    QLabel* m_support = nullptr;
};
