#pragma once

#include <QString>

class INIT;

// A stable id of this computer, kept in its settings (COMPUTER_ID): what it
// writes into the shared folder is named with it. It is made the first time
// it is needed. machineTag says which machine the settings were made on
// (MachineIdentity::tag); settings copied to another machine then get an id
// of their own there, so that two computers never write under the same id.
namespace ComputerId {

QString Get(INIT &registry, const QString &machineTag);

// Sixteen lower-case hexadecimal digits.
bool IsValid(const QString &id);

} // namespace ComputerId
