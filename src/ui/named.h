#pragma once
// Controls carry the object names that tests, the settings file and readers of
// the saved layout look for. named() sets one and hands the control back, so
// that making and naming a control is one statement:
//     cmdOk_ = named(new QPushButton(QStringLiteral("OK"), this), "cmdOk");
#include <QObject>
#include <QString>

namespace tama::ui {

template <class Object>
Object* named(Object* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

}  // namespace tama::ui
