#include "ui/directory/companies_tab.h"

#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/compaction.h"
#include "store/directory_edits.h"
#include "store/store_error.h"
#include "store/text.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace tolvane::ui {

using platform::fromCore;
using platform::toCore;
using store::CompanyChoice;

namespace {

QStringList entriesOf(CompanyChoice choice)
{
    QStringList entries;
    for (const std::string_view entry : store::choiceEntries(choice))
        entries << fromCore(entry);
    return entries;
}

} // namespace

CompaniesTab::CompaniesTab(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent)
    : DirectoryTab(QStringLiteral("Pframe"), folder, dialogs, parent)
    , m_buttons(this, QStringLiteral("2"), true)
{
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("pList"));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("tLabel2"));
    m_name = lineEdit(QStringLiteral("PageComp"), 25, this);
    m_phone = lineEdit(QStringLiteral("PAGEPHONE"), 32, this);
    m_maxChars = lineEdit(QStringLiteral("MAXCHAR"), 5, this);
    m_password = lineEdit(QStringLiteral("Passwd"), 12, this);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Pager Company:"), m_name);
    fields->addRow(QStringLiteral("Phone Number:"), m_phone);
    fields->addRow(QStringLiteral("Max Characters:"), m_maxChars);
    const struct {
        CompanyChoice choice;
        const char* name;
        const char* label;
    } choices[] = { { CompanyChoice::Service, "ALPHA", "Type of Service:" }, { CompanyChoice::Baud, "Baud", "Baud:" },
        { CompanyChoice::Parity, "PARITY", "Parity:" }, { CompanyChoice::DataBits, "DATA", "Data:" },
        { CompanyChoice::StopBits, "DSTOP", "Stop:" } };
    for (const auto& c : choices) {
        // Baud takes a typed speed; the other boxes offer only their entries.
        const auto typing = c.choice == CompanyChoice::Baud ? DropDownBox::Typing::Allowed : DropDownBox::Typing::None;
        auto* box = new DropDownBox(QString::fromLatin1(c.name), typing, this);
        box->setEntries(entriesOf(c.choice));
        fields->addRow(QString::fromLatin1(c.label), box);
        m_choices[c.choice] = box;
        const CompanyChoice choice = c.choice;
        connect(box, &DropDownBox::aboutToDropDown, this, [this, box, choice] {
            if (store::warnsBeforeDropDown(choice))
                tell(store::kLineSettingsWarning);
            startEditing();
            box->setEntries(entriesOf(choice));
        });
        connect(box, &QComboBox::activated, this, &CompaniesTab::startEditing);
        if (box->lineEdit())
            connect(box->lineEdit(), &QLineEdit::textEdited, this, &CompaniesTab::startEditing);
    }
    fields->addRow(QStringLiteral("Password:"), m_password);

    QPushButton* search
        = arrange(QStringLiteral("Pager Terminals:"), m_list, m_count, fields, m_buttons, QStringLiteral("search2"));

    onEntryClick(m_list, m_buttons, [this](int row) { selectCompany(row); });
    connect(m_buttons.add, &QPushButton::clicked, this, &CompaniesTab::addCompany);
    connect(m_buttons.save, &QPushButton::clicked, this, &CompaniesTab::saveCompany);
    connect(m_buttons.update, &QPushButton::clicked, this, &CompaniesTab::updateCompany);
    connect(m_buttons.cancel, &QPushButton::clicked, this, &CompaniesTab::cancelEdit);
    connect(m_buttons.remove, &QPushButton::clicked, this, &CompaniesTab::deleteCompany);
    connect(search, &QPushButton::clicked, this, &CompaniesTab::searchCompanies);
    for (QLineEdit* edit : { m_name, m_phone, m_maxChars, m_password })
        connect(edit, &QLineEdit::textEdited, this, &CompaniesTab::startEditing);
    connect(m_maxChars, &QLineEdit::textEdited, this, &CompaniesTab::correctMaxChars);
    connect(m_phone, &QLineEdit::textEdited, this, &CompaniesTab::correctPhone);
    setState(EditState::Viewing);
}

store::RecordFile& CompaniesTab::file()
{
    // After a change of the shared folder, the file of the folder now in use.
    const auto path = m_folder.pathOf<store::TerminalRecord>();
    if (!m_file || m_file->path() != path) {
        if (!m_folder.directoryReachable())
            throw store::DirectoryUnreachable(m_folder.unreachableText());
        m_file = std::make_unique<store::RecordFile>(path, store::TerminalRecord::kLength);
    }
    return *m_file;
}

std::vector<store::TerminalRecord> CompaniesTab::readCompanies()
{
    const std::string all = file().readAllRaw();
    std::vector<store::TerminalRecord> companies;
    for (std::size_t at = 0; at + store::TerminalRecord::kLength <= all.size(); at += store::TerminalRecord::kLength)
        companies.push_back(
            store::TerminalRecord::decode(std::string_view(all).substr(at, store::TerminalRecord::kLength)));
    return companies;
}

void CompaniesTab::fill()
{
    showFirstCompany();
}

QStringList CompaniesTab::namesOf(const std::vector<store::TerminalRecord>& companies)
{
    QStringList names;
    for (const store::TerminalRecord& company : companies)
        names << fromCore(store::fixedText(company.CompanyName, 25));
    return names;
}

void CompaniesTab::listCompanies(const std::vector<store::TerminalRecord>& companies)
{
    setEntries(m_list, namesOf(companies));
    m_count->setText(QString::number(companies.size()));
}

void CompaniesTab::refresh()
{
    const auto companies = readCompanies();
    const QString shown = fromCore(store::fixedText(m_lastShown.CompanyName, 25));
    const int current = m_list->currentRow();
    listCompanies(companies);
    int row = rowOf(m_list, shown);
    if (current >= 0 && current < m_list->count() && m_list->item(current)->text() == shown)
        row = current;
    selectQuietly(m_list, row);
    if (m_buttons.state() != EditState::Viewing)
        setState(m_buttons.state()); // the typing stays; update checks the company is still there
    else if (row >= 0)
        show(companies[static_cast<std::size_t>(row)]);
    else
        showFirstCompany();
}

void CompaniesTab::selectCompany(int row)
{
    if (row >= 0)
        guarded([&] { showCompany(row); });
}

void CompaniesTab::showCompany(int row)
{
    const auto companies = readCompanies();
    row = rowInFile(m_list, row, namesOf(companies));
    m_count->setText(QString::number(companies.size()));
    if (row < 0)
        showFirstCompany();
    else
        show(companies[static_cast<std::size_t>(row)]);
}

void CompaniesTab::show(const store::TerminalRecord& company)
{
    m_lastShown = company;
    setForm(store::companyForm(company));
    setState(EditState::Viewing);
}

void CompaniesTab::setState(EditState state)
{
    m_buttons.apply(state, m_list->currentRow() >= 0);
}

void CompaniesTab::startEditing()
{
    m_buttons.startEditing(m_list->currentRow() >= 0);
}

void CompaniesTab::correctMaxChars(const QString& text)
{
    bool capped = false;
    const std::string corrected = store::cappedMaxChars(toCore(text), &capped);
    if (capped) {
        m_maxChars->setText(fromCore(corrected));
        tell(store::kMaxCharsCapped);
    }
}

void CompaniesTab::correctPhone(const QString& text)
{
    const QString corrected = fromCore(store::phoneBoxText(toCore(text)));
    if (corrected != text)
        m_phone->setText(corrected);
}

void CompaniesTab::setForm(const store::CompanyForm& form)
{
    m_name->setText(fromCore(form.name));
    m_phone->setText(fromCore(form.phone));
    m_maxChars->setText(fromCore(form.maxChars));
    m_password->setText(fromCore(form.password));
    m_choices[CompanyChoice::Service]->showText(fromCore(form.service));
    m_choices[CompanyChoice::Baud]->showText(fromCore(form.baud));
    m_choices[CompanyChoice::Parity]->showText(fromCore(form.parity));
    m_choices[CompanyChoice::DataBits]->showText(fromCore(form.dataBits));
    m_choices[CompanyChoice::StopBits]->showText(fromCore(form.stopBits));
}

store::CompanyForm CompaniesTab::form() const
{
    auto choice = [this](CompanyChoice which) { return toCore(m_choices.at(which)->currentText()); };
    return store::CompanyForm { toCore(m_name->text()), toCore(m_phone->text()), toCore(m_maxChars->text()),
        choice(CompanyChoice::Service), choice(CompanyChoice::Baud), choice(CompanyChoice::Parity),
        choice(CompanyChoice::DataBits), choice(CompanyChoice::StopBits), toCore(m_password->text()) };
}

void CompaniesTab::addCompany()
{
    setForm(store::newCompanyForm());
    setState(EditState::Adding);
    m_name->setFocus();
}

void CompaniesTab::write(store::CompanyWrite how)
{
    const int row = m_list->currentRow();
    if (how == store::CompanyWrite::Update && row < 0)
        return;
    guarded([&] {
        const store::CompanyResult company = store::companyRecord(form(), m_lastShown);
        if (!company.ok) {
            tell(company.message);
            return;
        }
        const store::EditResult result = how == store::CompanyWrite::Save
            ? store::saveCompany(m_folder, company.record)
            : store::updateCompany(m_folder, store::shownCompany(row + 1, m_lastShown), company.record);
        settle(result.written(), result.status == store::EditStatus::Changed, result.message);
    });
}

void CompaniesTab::saveCompany()
{
    write(store::CompanyWrite::Save);
}

void CompaniesTab::updateCompany()
{
    write(store::CompanyWrite::Update);
}

void CompaniesTab::cancelEdit()
{
    showFirstCompany();
}

void CompaniesTab::showFirstCompany()
{
    guarded([this] {
        // TermUpdate: the first company in the boxes, and the list again.
        const auto companies = readCompanies();
        listCompanies(companies);
        m_lastShown = companies.empty() ? store::TerminalRecord {} : companies.front();
        setForm(store::companyForm(m_lastShown));
        if (!companies.empty())
            selectQuietly(m_list, 0);
    });
    setState(EditState::Viewing);
}

void CompaniesTab::deleteCompany()
{
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    guarded([&] {
        // The only company is refused before anyone is asked about its users.
        if (m_list->count() > 1) {
            const std::string company = store::fixedText(m_lastShown.CompanyName, 25);
            for (const store::UserRecord& user : store::readAllRecords<store::UserRecord>(m_folder)) {
                if (store::fixedText(user.PagingCompany, 25) == company
                    && !m_dialogs.ask(fromCore(store::kCompanyInUseQuestion)))
                    return;
            }
        }
        const store::DeleteResult result
            = store::deleteTerminal(m_folder, row + 1, store::shownCompany(row + 1, m_lastShown).identity);
        settle(result.deleted(), result.status == store::DeleteStatus::Changed, result.message);
    });
}

void CompaniesTab::searchCompanies()
{
    openSearch(QStringLiteral("TSearch3"), QStringLiteral("Search"), m_list, [this](int row) { showCompany(row); });
}

} // namespace tolvane::ui
