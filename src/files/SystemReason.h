// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Why a file operation failed, for a message to the user: the German text of `error`, an errno value
// of a failed load or save, whatever language the system speaks.
QString SystemReason(int error);
