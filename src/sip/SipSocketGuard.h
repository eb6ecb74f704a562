// SPDX-License-Identifier: GPL-3.0-or-later
// Puts CSipHeaderGuard between the SIP stack and the network. The stack
// reads SIP through its toolbox's bctbx_recv, bctbx_recvfrom and
// bctbx_ssl_read; this program defines functions of those names that call
// the toolbox's own and filter what they return, and exports them, so the
// dynamic linker binds the stack to them first. The plugin
// (libvorella-sip.so) exports them and, loaded without RTLD_GLOBAL, is
// searched before the stack it brings; a program that links the provider
// itself exports them from its own symbols (src/sip/CMakeLists.txt).
#pragma once

#include <cstdint>

// True when the stack's reads come through the guard in this process.
bool SipInputGuardActive();
// Display names the guard has cut since start-up.
uint64_t SipInputGuardCuts();
