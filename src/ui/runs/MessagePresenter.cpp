#include "ui/runs/MessagePresenter.h"

#include "ui/common/UiText.h"

#include <QGuiApplication>
#include <QMessageBox>

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
    return Tr(text.c_str());
}

CMessagePresenter CMessagePresenter::MessageBoxes()
{
    return {AskWithBox, ShowWithBox};
}

HostAnswer CDirectRunHost::Ask(const std::string& question)
{
    return m_presenter.ask ? m_presenter.ask(m_parent, CoreText(question)) : HostAnswer::Cancel;
}

void CDirectRunHost::ShowMessage(const std::string& text, MessageIcon icon)
{
    if (m_presenter.show)
        m_presenter.show(m_parent, CoreText(text), icon);
}
