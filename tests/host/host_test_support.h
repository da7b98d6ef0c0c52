// Helpers shared by the host's unit tests.
#pragma once

#include <string>
#include <vector>

#include "java_vm.h"

// Empties the system property list so each test starts from process start state.
void resetProperties();

// A record as the host has it just before the options are parsed.
JDK1_1InitArgs hostRecord();

// The entries of the property list, in order.
std::vector<std::string> propertyEntries();
