#include "Terms.h"

#include "LanguageSetup.h"
#include "SettingsStore.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTextBrowser>
#include <QTranslator>
#include <QVBoxLayout>

namespace {

// Keys rather than texts: each translation file holds the words.
const char* const TitleKey = QT_TRANSLATE_NOOP("Settings", "TERMS_TITLE");
const char* const TermsKey = QT_TRANSLATE_NOOP("Settings", "TERMS");
const char* const AcceptKey = QT_TRANSLATE_NOOP("Settings", "Accept");
const char* const DeclineKey = QT_TRANSLATE_NOOP("Settings", "Decline");

} // namespace

Terms::Terms(QWidget* parent)
    : QDialog(parent)
    , language(new QComboBox(this))
    , text(new QTextBrowser(this))
    , acceptButton(new QPushButton(this))
    , declineButton(new QPushButton(this))
{
    auto* layout = new QVBoxLayout(this);

    const QSettings* store = SettingsStore();
    const QString stored
        = store ? store->value(QStringLiteral("Options/Language"), QStringLiteral("en")).toString() : QString();
    for (const QString& code : LanguageCodes()) {
        const LanguageInfo info = Languages.value(code);
        language->addItem(QIcon(LanguageFlag(info)), info.name, code);
    }
    language->setCurrentIndex(qMax(0, language->findData(stored)));
    connect(language, qOverload<int>(&QComboBox::currentIndexChanged), this, &Terms::retranslate);

    layout->addWidget(language);
    layout->addWidget(text);

    acceptButton->setDefault(true);
    connect(acceptButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(declineButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(acceptButton);
    buttons->addWidget(declineButton);
    layout->addLayout(buttons);

    setModal(true);
    resize(600, 600);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QPoint centre = screen->geometry().center();
        move(centre.x() - width() / 2, centre.y() - height() / 2);
    }
    retranslate(language->currentIndex());
}

void Terms::retranslate(int)
{
    const QString code = language->currentData().toString();
    QTranslator file;
    if (!file.load(QStringLiteral("Tarnwickstone_") + Languages.value(code).code, QStringLiteral(":/Translations/")))
        return;
    setWindowTitle(file.translate("Settings", TitleKey));
    text->setHtml(file.translate("Settings", TermsKey));
    acceptButton->setText(file.translate("Settings", AcceptKey));
    declineButton->setText(file.translate("Settings", DeclineKey));
}

void Terms::bye()
{
    deleteLater();
    QCoreApplication::quit();
}
