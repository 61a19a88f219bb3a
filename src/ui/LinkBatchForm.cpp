#include "ui/LinkBatchForm.h"

#include "platform/services/Dialogs.h"
#include "transfer/LinkAdding.h"
#include "transfer/TaskEntryRules.h"
#include "ui/ByteLineEdit.h"
#include "ui/ExtentionsU.h"
#include "ui/FixedPalette.h"
#include "ui/FormFonts.h"
#include "ui/QelButton.h"
#include "ui/TGroupBox.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>

#include <algorithm>
#include <set>

namespace zv {

namespace {

constexpr int FormFontHeight = 11;
constexpr int FieldFontHeight = 13;

std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

} // namespace

const char* const TLinkBatchForm::Caption = "Addition of the tasks";

TLinkBatchForm::TLinkBatchForm(Services services, QWidget* parent) : QelForm(parent), m_services(std::move(services))
{
    setWindowTitle(QString::fromUtf8(Caption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(480, 360);
    setFont(FormFonts::sansSerif(FormFontHeight));
    FixedPalette::applyWhite(*this);
    createControls();
    connect(Links, &QPlainTextEdit::textChanged, this, &TLinkBatchForm::markLines);
}

void TLinkBatchForm::createControls()
{
    const auto group = [this](const char* caption, QRect geometry) {
        auto* box = new TGroupBox(QString::fromUtf8(caption), this);
        box->setGeometry(geometry);
        box->setFlat(true);
        box->setFont(FormFonts::sansSerif(FormFontHeight, true));
        return box;
    };
    const auto button = [this](QWidget* parent, const char* caption, QRect geometry, void (TLinkBatchForm::*handler)()) {
        auto* made = new TQelButton(parent);
        made->setFont(FormFonts::sansSerif(FormFontHeight));
        made->setGeometry(geometry);
        if (caption)
            made->setCaption(QString::fromUtf8(caption));
        made->setButtonStyle(TQelCustomButton::stFlatDot);
        made->setColor(ColorValue(TEditTaskForm::ButtonFace));
        made->setTabStop(true);
        connect(made, &TQelCustomButton::OnClick, this, [this, handler] { (this->*handler)(); });
        return made;
    };
    GroupBox1 = group("URLs", QRect(8, 8, 465, 209));
    Links = new QPlainTextEdit(GroupBox1);
    Links->setGeometry(8, 18, 449, 120);
    Links->setLineWrapMode(QPlainTextEdit::NoWrap);
    Links->setFont(FormFonts::sansSerif(FieldFontHeight));
    Marks = new QPlainTextEdit(GroupBox1);
    Marks->setGeometry(8, 142, 449, 60);
    Marks->setReadOnly(true);
    Marks->setLineWrapMode(QPlainTextEdit::NoWrap);
    Marks->setFont(FormFonts::sansSerif(FormFontHeight));

    GroupBox2 = group("Path", QRect(8, 218, 465, 50));
    auto* save = new QLabel(QStringLiteral("Save:"), GroupBox2);
    save->setFont(FormFonts::sansSerif(FieldFontHeight));
    save->setGeometry(8, 21, std::max(35, save->sizeHint().width()), 16);
    Folder = new ByteLineEdit(GroupBox2);
    Folder->setFont(FormFonts::sansSerif(FieldFontHeight));
    Folder->setGeometry(48, 18, 409, 22);

    GroupBox3 = group("Date/time", QRect(8, 270, 465, 82));
    LaterCh = new QRadioButton(QStringLiteral("Later (manually)"), GroupBox3);
    LaterCh->setGeometry(8, 20, 153, 17);
    ImmedCh = new QRadioButton(QStringLiteral("Immediately"), GroupBox3);
    ImmedCh->setGeometry(8, 44, 137, 17);
    for (QRadioButton* radio : {LaterCh, ImmedCh})
        radio->setFont(FormFonts::sansSerif(FieldFontHeight));
    LaterCh->setChecked(true);
    QelButton1 = button(GroupBox3, "Add tasks!", QRect(272, 40, 89, 33), &TLinkBatchForm::QelButton1Click);
    QelButton2 = button(GroupBox3, nullptr, QRect(368, 40, 89, 33), &TLinkBatchForm::QelButton2Click);
    QelButton2->setButtonKind(TQelCustomButton::skCancel);
}

void TLinkBatchForm::openFor(const LinkBatch& links)
{
    fill(links);
    exec();
}

void TLinkBatchForm::fill(const LinkBatch& links)
{
    m_refused.clear();
    QString text;
    for (const std::string& url : links.urls)
        text += QString::fromStdString(url) + QLatin1Char('\n');
    Links->setPlainText(text);
    Folder->setBytes(links.folder.empty() ? m_services.defaultPath() : links.folder);
    LaterCh->setChecked(true);
    Links->setFocus();
}

std::vector<std::string> TLinkBatchForm::urls() const
{
    std::vector<std::string> lines;
    for (const QString& line : Links->toPlainText().split(QLatin1Char('\n'))) {
        const std::string bytes = line.trimmed().toStdString();
        if (!bytes.empty())
            lines.push_back(bytes);
    }
    return lines;
}

// Each URL's line, counted among the URLs: repeated, not the web's, or refused last time.
void TLinkBatchForm::markLines()
{
    std::vector<std::string> marks;
    std::set<std::string> seen;
    const std::vector<std::string> lines = urls();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string number = "Line " + std::to_string(i + 1) + ": ";
        const auto refused = std::find_if(m_refused.begin(), m_refused.end(),
                                          [&](const auto& entry) { return entry.first == lines[i]; });
        if (!seen.insert(lines[i]).second)
            marks.push_back(number + "given twice");
        else if (!TaskEntryRules::hasWebScheme(lines[i]))
            marks.push_back(number + "not an http or https address");
        else if (refused != m_refused.end())
            marks.push_back(number + refused->second);
    }
    showMarks(marks);
}

void TLinkBatchForm::showMarks(const std::vector<std::string>& marks)
{
    QString text;
    for (const std::string& mark : marks)
        text += QString::fromStdString(mark) + QLatin1Char('\n');
    Marks->setPlainText(text);
}

void TLinkBatchForm::QelButton1Click()
{
    const std::vector<std::string> lines = urls();
    const auto outcomes = LinkAdding::add(m_services.tasks, m_services.table,
                                          {lines, Folder->bytes(), {}, ImmedCh->isChecked()});
    int added = 0;
    int skipped = 0;
    std::string fullTable;
    m_refused.clear();
    QString left;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        using Kind = LinkAdding::Outcome::Kind;
        added += outcomes[i].kind == Kind::Added;
        skipped += outcomes[i].kind == Kind::AlreadyListed || outcomes[i].kind == Kind::Repeated;
        if (outcomes[i].kind != Kind::Refused)
            continue;
        if (outcomes[i].tableFull)
            fullTable = outcomes[i].text;
        m_refused.emplace_back(lines[i], oneLine(outcomes[i].text));
        left += QString::fromStdString(lines[i]) + QLatin1Char('\n');
    }
    Links->setPlainText(left);
    std::string summary = "Added: " + std::to_string(added) + ". Skipped, already in the list: "
                        + std::to_string(skipped) + ". Not added: " + std::to_string(m_refused.size()) + ".";
    // The program's message for a full table, once.
    if (!fullTable.empty())
        summary += "\r" + fullTable;
    m_services.dialogs.messageBox(summary, Caption, m_refused.empty() ? MessageIcon::Information : MessageIcon::Warning);
    if (m_refused.empty())
        done(mrOk);
}

void TLinkBatchForm::QelButton2Click() { done(mrCancel); }

} // namespace zv
