#include "services/ParameterSetId.h"

#include "services/FieldLimits.h"

QString ParameterSetIdEdit::fieldText(int field) const {
    return QStringLiteral("%1").arg(fromBcd(m_id.at(size_t(field))), 2, 10, QChar(u'0'));
}

QString ParameterSetIdEdit::setFieldText(int field, const QString& text) {
    if (const auto v = limitedWholeNumber(text, 0, 99))
        m_id.at(size_t(field)) = toBcd(*v);
    return fieldText(field);
}
