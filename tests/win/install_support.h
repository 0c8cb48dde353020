// The installation helpers under the names the benchmark uses.
#pragma once

#include "install_checks.h"
#include "wizard_session.h"

namespace installtest {

using namespace wintest;
using Installer = wintest::WizardSession;

}  // namespace installtest
