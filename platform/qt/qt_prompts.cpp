#include "platform/qt/qt_prompts.h"

#include <QApplication>
#include <QByteArray>
#include <QClipboard>
#include <QCursor>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include "common/core/text.h"

namespace platform {

QString QStringFromBytes(const std::string& bytes) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (!IsUtf8(bytes)) return QString::fromLatin1(view);
    // A leading byte-order mark is kept: it is part of the bytes, and an edit of the text shown
    // must give them back unchanged.
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return utf8(view);
}

std::string BytesFromQString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
}

QStringList QtNameFilters(const std::string& filter) {
    QStringList result;
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= filter.size() && !filter.empty()) {
        const size_t bar = filter.find('|', start);
        if (bar == std::string::npos) {
            parts.push_back(filter.substr(start));
            break;
        }
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : QStringFromBytes(parts[i + 1]).split(';')) {
            const QString pattern = p.trimmed();
            if (pattern.isEmpty()) continue;
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        if (patterns.isEmpty()) continue;
        // Simplified as QFileDialog stores its filters, so that a filter given back compares equal.
        QString description = QStringFromBytes(parts[i]).simplified();
        if (description.isEmpty()) description = QStringFromBytes(parts[i + 1]).simplified();
        // A description that already names its patterns in brackets at its end ("Files (.dtt)",
        // "Files (*.rgi)") gets them there once, in the form the dialog filters by.
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open >= 0) {
                QStringList named = description.mid(open + 1, description.size() - open - 2)
                                        .split(QRegularExpression(QStringLiteral("[\\s;,]+")), Qt::SkipEmptyParts);
                for (QString& n : named)
                    if (!n.startsWith(QLatin1Char('*'))) n.prepend(QLatin1Char('*'));
                if (named == patterns) description = description.left(open).trimmed();
            }
        }
        if (description.isEmpty()) description = patterns.join(' ');
        result << description + QStringLiteral(" (") + patterns.join(' ') + QStringLiteral(")");
    }
    return result;
}

std::unique_ptr<QMessageBox> MakeMessageBox(MessageKind kind, const std::string& text, Buttons buttons,
                                            QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    switch (kind) {
    case MessageKind::Warning: box->setIcon(QMessageBox::Warning); break;
    case MessageKind::Error: box->setIcon(QMessageBox::Critical); break;
    case MessageKind::Information: box->setIcon(QMessageBox::Information); break;
    case MessageKind::Confirmation: box->setIcon(QMessageBox::Question); break;
    }
    box->setWindowTitle(QApplication::applicationName());
    // Messages quote file names and case data, which must never be taken for markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(QStringFromBytes(text));

    QMessageBox::StandardButtons set;
    QMessageBox::StandardButton first = QMessageBox::Ok;
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok: set = QMessageBox::Ok; break;
    case Buttons::OkCancel:
        set = QMessageBox::Ok | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    case Buttons::YesNo:
        set = QMessageBox::Yes | QMessageBox::No;
        first = QMessageBox::Yes;
        escape = QMessageBox::No;
        break;
    case Buttons::YesNoCancel:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        first = QMessageBox::Yes;
        escape = QMessageBox::Cancel;
        break;
    }
    box->setStandardButtons(set);
    box->setDefaultButton(first);
    box->setEscapeButton(escape);
    return box;
}

Answer AnswerFromButton(int standardButton, Buttons buttons) {
    switch (standardButton) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: break;
    }
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo: return Answer::No;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel: break;
    }
    return Answer::Cancel;
}

void ConfigureFileDialog(QFileDialog& dialog, const FileChoice& choice, bool save) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    const QString title = QStringFromBytes(choice.Title);
    dialog.setWindowTitle(!title.isEmpty() ? title : save ? QStringLiteral("Save As") : QStringLiteral("Open"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !choice.OverwritePrompt);
    dialog.setDefaultSuffix(QStringFromBytes(choice.DefaultExt));

    const QStringList filters = QtNameFilters(choice.Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = (choice.FilterIndex >= 1 && choice.FilterIndex <= filters.size()) ? choice.FilterIndex : 1;
        dialog.selectNameFilter(filters[index - 1]);
    }

    dialog.setDirectory(choice.InitialDir.empty() ? QDir::currentPath() : QStringFromBytes(choice.InitialDir));
    // A name with a folder (the last case from the settings file) opens that folder.
    if (!choice.FileName.empty()) dialog.selectFile(QStringFromBytes(choice.FileName));
}

namespace {

// The hourglass would otherwise stay over a dialog that waits for the user.
class ArrowWhileBusy {
public:
    explicit ArrowWhileBusy(int busyDepth) : active_(busyDepth > 0 && qApp) {
        if (active_) QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    }
    ~ArrowWhileBusy() {
        if (active_) QApplication::restoreOverrideCursor();
    }
    ArrowWhileBusy(const ArrowWhileBusy&) = delete;
    ArrowWhileBusy& operator=(const ArrowWhileBusy&) = delete;

private:
    bool active_;
};

}  // namespace

QtPrompts::QtPrompts(QWidget* mainWindow) : mainWindow_(mainWindow) {}

QtPrompts::~QtPrompts() {
    while (busyDepth_ > 0) EndBusy();
    // Without a main window to own it, the help window is ours.
    if (help_ && !help_->parent()) delete help_.data();
}

Answer QtPrompts::Message(MessageKind kind, const std::string& text, Buttons buttons) {
    const std::unique_ptr<QMessageBox> box = MakeMessageBox(kind, text, buttons, mainWindow_);
    const ArrowWhileBusy arrow(busyDepth_);
    return AnswerFromButton(box->exec(), buttons);
}

bool QtPrompts::ChooseFile(FileChoice& choice, bool save) {
    QFileDialog dialog(mainWindow_);
    ConfigureFileDialog(dialog, choice, save);
    int result;
    {
        const ArrowWhileBusy arrow(busyDepth_);
        result = dialog.exec();
    }
    const QStringList chosen = dialog.selectedFiles();
    if (result != QDialog::Accepted || chosen.isEmpty()) return false;
    if (const qsizetype index = dialog.nameFilters().indexOf(dialog.selectedNameFilter()); index >= 0)
        choice.FilterIndex = static_cast<int>(index) + 1;
    AcceptFileChoice(choice, BytesFromQString(chosen.first()));
    return true;
}

bool QtPrompts::OpenFile(FileChoice& choice) {
    return ChooseFile(choice, false);
}

bool QtPrompts::SaveFile(FileChoice& choice) {
    return ChooseFile(choice, true);
}

std::string QtPrompts::Caption() {
    return mainWindow_ ? BytesFromQString(mainWindow_->windowTitle()) : caption_;
}

void QtPrompts::SetCaption(const std::string& caption) {
    caption_ = caption;
    if (mainWindow_) {
        mainWindow_->setWindowTitle(QStringFromBytes(caption));
        mainWindow_->repaint();
    }
}

void QtPrompts::BeginBusy() {
    if (qApp) QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    ++busyDepth_;
}

void QtPrompts::EndBusy() {
    if (busyDepth_ == 0) return;
    --busyDepth_;
    if (qApp) QApplication::restoreOverrideCursor();
}

std::string QtPrompts::ClipboardText() {
    return BytesFromQString(QGuiApplication::clipboard()->text());
}

void QtPrompts::SetClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QStringFromBytes(text));
}

bool QtPrompts::ShowHelp(const std::string& helpFile) {
    const std::string path = FindHelpFile(helpFile);
    if (path.empty()) return false;
    QFile file(QStringFromBytes(path));
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray contents = file.readAll();
    file.close();

    if (!help_) {
        help_ = new QDialog(mainWindow_, Qt::Window);
        help_->setObjectName(QStringLiteral("HelpWindow"));
        auto* browser = new QTextBrowser(help_);
        browser->setObjectName(QStringLiteral("HelpBrowser"));
        browser->setOpenExternalLinks(true);
        auto* layout = new QVBoxLayout(help_);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(browser);
        help_->resize(640, 480);
    }
    help_->setWindowTitle(QApplication::applicationName() + QStringLiteral(" Help"));
    auto* browser = help_->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));

    const QFileInfo info(QStringFromBytes(path));
    const QString suffix = info.suffix().toLower();
    const bool html = suffix == QLatin1String("html") || suffix == QLatin1String("htm") ||
                      Qt::mightBeRichText(QStringFromBytes(std::string(contents.constData(), contents.size())));
    if (html) {
        // Through the source, so that the document's own links and pictures resolve beside it.
        const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
        if (browser->source() == url)
            browser->reload();
        else
            browser->setSource(url, QTextDocument::HtmlResource);
    } else {
        browser->setSource(QUrl());
        browser->setPlainText(QStringFromBytes(std::string(contents.constData(), contents.size())));
    }

    help_->show();
    help_->raise();
    help_->activateWindow();
    return true;
}

bool QtPrompts::StartProgram(const std::string& path) {
    QString program = QStringFromBytes(path);
    // A name without a folder means the file in the current directory, not one on the PATH.
    if (const QFileInfo info(program); info.exists()) program = info.absoluteFilePath();
    return QProcess::startDetached(program, {}, QDir::currentPath());
}

std::string QtPrompts::ShortDate() {
    return BytesFromQString(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
}

}  // namespace platform
