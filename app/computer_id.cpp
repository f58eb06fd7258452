#include "app/computer_id.h"

#include "app/registry.h"

#include <QRandomGenerator>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

const QString IdName = u"COMPUTER_ID"_s;
const QString MachineName = u"COMPUTER_MACHINE"_s;

QString stored(INIT &registry, const QString &name)
{
    try {
        return registry.ValueExists(name) ? registry.ReadString(name) : QString();
    } catch (const RegistryError &) {
        return QString();
    }
}

} // namespace

bool ComputerId::IsValid(const QString &id)
{
    static const QRegularExpression form(u"^[0-9a-f]{16}$"_s);
    return form.match(id).hasMatch();
}

QString ComputerId::Get(INIT &registry, const QString &machineTag)
{
    registry.OpenKey(INIT::RootKey, true);
    QString id = stored(registry, IdName);
    const QString machine = stored(registry, MachineName);
    if (!IsValid(id) || (!machineTag.isEmpty() && !machine.isEmpty() && machine != machineTag)) {
        quint64 value = 0;
        while (value == 0)
            value = QRandomGenerator::system()->generate64();
        id = QString::number(value, 16).rightJustified(16, u'0');
        try {
            registry.WriteString(IdName, id);
            registry.WriteString(MachineName, machineTag);
        } catch (const RegistryError &) {
        }
    } else if (machine.isEmpty() && !machineTag.isEmpty()) {
        try {
            registry.WriteString(MachineName, machineTag);
        } catch (const RegistryError &) {
        }
    }
    try {
        registry.CloseKey();
    } catch (const RegistryError &) {
    }
    return id;
}
