#include "ui/runs/MessagePresenter.h"

#include "tracks/Strings.h"
#include "ui/common/UiText.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <string_view>

namespace
{
QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon)
    {
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

HostAnswer AskWithBox(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::Question, QGuiApplication::applicationDisplayName(), question,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec())
    {
    case QMessageBox::Yes:
        return HostAnswer::Yes;
    case QMessageBox::No:
        return HostAnswer::No;
    default:
        return HostAnswer::Cancel;
    }
}

void ShowWithBox(QWidget* parent, const QString& text, MessageIcon icon)
{
    QMessageBox box(BoxIcon(icon), QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}
} // namespace

QString CoreText(const std::string& text)
{
    // The core fills some of its texts in before they get here: those are
    // translated by their form, with the filled-in part put back.
    for (const char* format :
         {strings::kOverwriteQuestion, strings::kFileOk, strings::kFileCorrupt})
    {
        const std::string_view form(format);
        const std::size_t hole = form.find("%s");
        const std::string_view before = form.substr(0, hole);
        const std::string_view after = form.substr(hole + 2);
        if (text.size() >= before.size() + after.size() && text.starts_with(before) &&
            text.ends_with(after))
        {
            const std::string value =
                text.substr(before.size(), text.size() - before.size() - after.size());
            return Tr(format).replace(QStringLiteral("%s"), ToQString(value));
        }
    }
    return Tr(text.c_str());
}

CMessagePresenter CMessagePresenter::MessageBoxes()
{
    return {AskWithBox, ShowWithBox};
}

HostAnswer CMessagePresenter::AskCore(QWidget* parent, const std::string& question) const
{
    return ask ? ask(parent, CoreText(question)) : HostAnswer::Cancel;
}

void CMessagePresenter::ShowCore(QWidget* parent, const std::string& text, MessageIcon icon) const
{
    if (show)
        show(parent, CoreText(text), icon);
}

HostAnswer CDirectRunHost::Ask(const std::string& question)
{
    return m_presenter.AskCore(m_parent, question);
}

void CDirectRunHost::ShowMessage(const std::string& text, MessageIcon icon)
{
    m_presenter.ShowCore(m_parent, text, icon);
}
