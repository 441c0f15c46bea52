#include "TriggerRow.h"

#include "ConditionIds.h"
#include "ConditionVocabulary.h"
#include "EditorSetup.h"
#include "FilterBuilder.h"
#include "QCatalog.h"
#include "QNumberValidator.h"
#include "QPatternValidator.h"
#include "QPriceValidator.h"
#include "QSportsCatalog.h"
#include "QWholeNumberValidator.h"
#include "SearchFilter.h"
#include "TemplateFile.h"
#include "ui_TriggerRow.h"

#include <QDateTime>
#include <QJsonArray>
#include <QRegExpValidator>

namespace {

MyList Current(const QComboBox* combo)
{
    // A combo without a current item reads as a record with MyList::NoId.
    return combo->currentData().value<MyList>();
}

bool Holds(const QComboBox* combo, const QList<MyList>& list)
{
    if (combo->count() != list.size())
        return false;
    for (int i = 0; i < list.size(); ++i) {
        const MyList item = combo->itemData(i).value<MyList>();
        if (item.id != list.at(i).id || item.code != list.at(i).code)
            return false;
    }
    return true;
}

// Any non-empty text; one pattern for every row.
const QRegExp& NonEmptyText()
{
    static const QRegExp pattern(QStringLiteral(".+"));
    return pattern;
}

QValidator* NewValidator(EditorSetup::Values values, QObject* parent)
{
    switch (values) {
    case EditorSetup::Values::Pattern:
        return new QPatternValidator(parent);
    case EditorSetup::Values::Number:
        return new QNumberValidator(parent);
    case EditorSetup::Values::WholeNumber:
        return new QWholeNumberValidator(parent);
    case EditorSetup::Values::Price:
        return new QPriceValidator(parent);
    case EditorSetup::Values::Text:
        break;
    }
    return new QRegExpValidator(NonEmptyText(), parent);
}

QCatalog* CatalogOf(EditorSetup::Catalog catalog)
{
    switch (catalog) {
    case EditorSetup::Catalog::Countries:
        return QCatalog::countries;
    case EditorSetup::Catalog::Sports:
        return QCatalog::sports;
    case EditorSetup::Catalog::MarketTypes:
        return QCatalog::marketTypes;
    case EditorSetup::Catalog::SexTypes:
        return QCatalog::sexTypes;
    case EditorSetup::Catalog::None:
        break;
    }
    return nullptr;
}

// The catalogs whose codes go to the exchange as they are: there an empty
// list restricts nothing, the opposite of excluding everything.
bool IsExchangeCatalog(EditorSetup::Catalog catalog)
{
    return catalog == EditorSetup::Catalog::Countries || catalog == EditorSetup::Catalog::Sports
        || catalog == EditorSetup::Catalog::MarketTypes;
}

} // namespace

TriggerRow::TriggerRow(QWidget* parent)
    : QFrame(parent)
    , ui(std::make_unique<Ui::TriggerRow>())
{
    MyList::RegisterMetaType();
    ui->setupUi(this);
    // The first object becomes current as it is added and runs the cascade.
    for (const MyList& object : ConditionVocabulary::Objects())
        ui->ObjList->addItem(object.label, QVariant::fromValue(object));
    on_ObjList_currentIndexChanged(0);
}

TriggerRow::~TriggerRow() = default;

void TriggerRow::SetDeleteEnabled(bool on)
{
    ui->ButDel->setEnabled(on);
}

bool TriggerRow::Shows(const QWidget* widget) const
{
    // Not isVisible(): a row on a tab that is not on screen shows nothing.
    return widget->isVisibleTo(this);
}

bool TriggerRow::HasEveryChoice() const
{
    if (ui->ObjList->currentIndex() < 0 || ui->PropList->currentIndex() < 0
        || ui->CondList->currentIndex() < 0)
        return false;
    return !Shows(ui->ParamsList) || ui->ParamsList->currentIndex() >= 0;
}

bool TriggerRow::IsValid() const
{
    if (!HasEveryChoice())
        return false;
    for (const QWidget* edit : { ui->ValueText, ui->Value1, ui->Value2 }) {
        if (Shows(edit) && edit->property("isError").toBool())
            return false;
    }
    if (Shows(ui->Values) && ui->Values->currentIndex() < 0)
        return false;
    if (Shows(ui->ListEditor)) {
        if (!ui->ListEditor->IsValid())
            return false;
        const RowCondition condition = Condition();
        const EditorSetup setup = EditorSetup::For(
            condition.object, condition.property, condition.parameter, condition.comparison);
        // Excluding every sport, country or market type would send the
        // exchange an empty list, which it reads as no restriction at all.
        return !(IsExchangeCatalog(setup.catalog) && condition.comparison == NumberComparison::NotInList
            && condition.catalogCodes.isEmpty());
    }
    return true;
}

RowCondition TriggerRow::Condition() const
{
    RowCondition condition;
    condition.object = Current(ui->ObjList).id;
    condition.property = Current(ui->PropList).id;
    if (Shows(ui->ParamsList)) {
        const MyList parameter = Current(ui->ParamsList);
        condition.parameter = parameter.id;
        condition.parameterCode = parameter.code;
    }
    const MyList comparison = Current(ui->CondList);
    condition.comparison = comparison.id;
    condition.comparisonCode = comparison.code;
    condition.text = ui->ValueText->text();
    condition.value1 = ui->Value1->text();
    condition.value2 = ui->Value2->text();
    condition.items = ui->ListEditor->Items();
    condition.catalogCodes = ui->ListEditor->Codes(comparison.id == NumberComparison::NotInList);
    return condition;
}

void TriggerRow::AddToFilter(QJsonObject& filter) const
{
    FilterBuilder::Add(filter, Condition(), QDateTime::currentDateTimeUtc());
}

void TriggerRow::Save(QJsonObject& record) const
{
    if (!unknownRecord.isEmpty() && !HasEveryChoice()) {
        for (auto it = unknownRecord.constBegin(); it != unknownRecord.constEnd(); ++it)
            record.insert(it.key(), it.value());
        return;
    }
    record.insert(QStringLiteral("A"), Current(ui->ObjList).code);
    record.insert(QStringLiteral("B"), Current(ui->PropList).code);
    record.insert(QStringLiteral("C"), Current(ui->CondList).code);
    if (Shows(ui->ParamsList))
        record.insert(QStringLiteral("D"), Current(ui->ParamsList).code);
    if (Shows(ui->Value1))
        record.insert(QStringLiteral("V1"), TemplateFile::NumberValue(ui->Value1->text()));
    if (Shows(ui->Value2))
        record.insert(QStringLiteral("V2"), TemplateFile::NumberValue(ui->Value2->text()));
    if (Shows(ui->ValueText))
        record.insert(QStringLiteral("V"), ui->ValueText->text());
    if (Shows(ui->Values))
        record.insert(QStringLiteral("S"), Current(ui->Values).code);
    if (Shows(ui->ListEditor))
        record.insert(QStringLiteral("Vs"), QJsonArray::fromStringList(ui->ListEditor->Items()));
}

void TriggerRow::Load(const QJsonObject& record)
{
    ui->Value1->setText(TemplateFile::ValueText(record.value(QLatin1String("V1"))));
    ui->Value2->setText(TemplateFile::ValueText(record.value(QLatin1String("V2"))));
    ui->ValueText->setText(TemplateFile::ValueText(record.value(QLatin1String("V"))));
    // In cascade order: each choice refills the combos after it.
    const std::pair<const char*, QComboBox*> choices[]
        = { { "A", ui->ObjList }, { "B", ui->PropList }, { "D", ui->ParamsList }, { "C", ui->CondList } };
    for (const auto& [key, combo] : choices)
        combo->setCurrentIndex(FindItem(combo, record.value(QLatin1String(key)).toString()));

    const QJsonValue items = record.value(QLatin1String("Vs"));
    if (items.isArray()) {
        QStringList texts;
        for (const QJsonValue& item : items.toArray())
            texts << item.toString();
        ui->ListEditor->SetItems(texts);
    }
    const QJsonValue value = record.value(QLatin1String("S"));
    if (value.isString())
        ui->Values->setCurrentIndex(FindItem(ui->Values, value.toString()));
    unknownRecord = HasEveryChoice() ? QJsonObject() : record;
}

bool TriggerRow::IsNegative() const
{
    return SearchFilter::IsNegative(Current(ui->CondList).id);
}

int TriggerRow::FindItem(QComboBox* combo, const QString& code)
{
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemData(i).value<MyList>().code == code)
            return i;
    }
    return -1;
}

QJsonObject TriggerRow::MakeRange(int conditionId, const QJsonObject& previous, double value1, double value2,
    bool invert, const QStringList& items)
{
    return SearchFilter::NumberCondition(conditionId, previous, value1, value2, invert, items);
}

QJsonObject TriggerRow::MergeList(const QJsonObject& previous, bool invert, const QStringList& items)
{
    return SearchFilter::TextList(previous, invert, items);
}

void TriggerRow::Refill(QComboBox* target, const QList<MyList>& list, Stage stage)
{
    if (list.isEmpty() || Holds(target, list)) {
        (this->*stage)(target->currentIndex());
        return;
    }
    // Clearing moves the current index to -1 and the first item to 0; each
    // move emits Changed() and runs target's stage through the connections.
    target->clear();
    for (const MyList& item : list)
        target->addItem(item.label, QVariant::fromValue(item));
}

void TriggerRow::on_ObjList_currentIndexChanged(int /*index*/)
{
    Refill(ui->PropList, ConditionVocabulary::Properties(Current(ui->ObjList).id),
        &TriggerRow::on_PropList_currentIndexChanged);
}

void TriggerRow::on_PropList_currentIndexChanged(int /*index*/)
{
    const QList<MyList> parameters
        = ConditionVocabulary::Parameters(Current(ui->ObjList).id, Current(ui->PropList).id);
    // Hidden, the combo keeps its items and choice for a return to "Silks".
    ui->ParamsList->setVisible(!parameters.isEmpty());
    Refill(ui->ParamsList, parameters, &TriggerRow::on_ParamsList_currentIndexChanged);
}

void TriggerRow::on_ParamsList_currentIndexChanged(int /*index*/)
{
    Refill(ui->CondList,
        ConditionVocabulary::Comparisons(
            Current(ui->ObjList).id, Current(ui->PropList).id, Current(ui->ParamsList).id),
        &TriggerRow::on_CondList_currentIndexChanged);
}

void TriggerRow::on_CondList_currentIndexChanged(int /*index*/)
{
    for (QWidget* editor :
        std::initializer_list<QWidget*> { ui->ValueText, ui->Value1, ui->Value2, ui->Values, ui->ListEditor })
        editor->hide();
    for (QPriceEdit* edit : { ui->ValueText, ui->Value1, ui->Value2 })
        edit->setValidator(nullptr);
    // Both sides: a hidden upper edit left linked would still mark the lower.
    ui->Value1->SetPair(nullptr, true);
    ui->Value2->SetPair(nullptr, false);
    ui->ListEditor->SetItemsWord(tr("values"));

    const EditorSetup setup = EditorSetup::For(Current(ui->ObjList).id, Current(ui->PropList).id,
        Current(ui->ParamsList).id, Current(ui->CondList).id);
    QList<QPriceEdit*> shownEdits;
    switch (setup.editors) {
    case EditorSetup::Editors::None:
        break;
    case EditorSetup::Editors::Text:
        shownEdits = { ui->ValueText };
        break;
    case EditorSetup::Editors::One:
        shownEdits = { ui->Value1 };
        break;
    case EditorSetup::Editors::Range:
        shownEdits = { ui->Value1, ui->Value2 };
        ui->Value1->SetPair(ui->Value2, true);
        break;
    case EditorSetup::Editors::List:
        if (setup.catalog != EditorSetup::Catalog::None) {
            ui->ListEditor->SetCatalog(CatalogOf(setup.catalog));
            ui->ListEditor->SetItemsWord(CatalogWord(setup.catalog));
        } else {
            ui->ListEditor->SetCatalog(nullptr);
            ui->ListEditor->SetValidator(NewValidator(setup.values, ui->ListEditor));
        }
        ui->ListEditor->show();
        break;
    }
    for (QPriceEdit* edit : qAsConst(shownEdits)) {
        edit->setValidator(NewValidator(setup.values, edit));
        edit->show();
    }
    // Judge the kept texts under the new validators and pairing at once.
    for (QPriceEdit* edit : qAsConst(shownEdits))
        emit edit->textChanged(edit->text());
}

QString TriggerRow::CatalogWord(EditorSetup::Catalog catalog)
{
    switch (catalog) {
    case EditorSetup::Catalog::Countries:
        return tr("countries");
    case EditorSetup::Catalog::Sports:
        return tr("sports");
    case EditorSetup::Catalog::MarketTypes:
        return tr("market types");
    case EditorSetup::Catalog::SexTypes:
        return tr("sex types");
    case EditorSetup::Catalog::None:
        break;
    }
    return tr("values");
}

void TriggerRow::setEditError(const QString& /*val*/)
{
    if (auto* edit = qobject_cast<QPriceEdit*>(sender()))
        edit->setError(!edit->hasAcceptableInput());
}

void TriggerRow::itemChanged()
{
    emit Changed();
}
