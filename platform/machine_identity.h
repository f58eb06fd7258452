#pragma once

#include <QString>

// Which machine this is, as far as a copied settings file must tell: a digest
// of the system's machine id (/etc/machine-id), empty where there is none.
namespace MachineIdentity {

QString tag();

} // namespace MachineIdentity
