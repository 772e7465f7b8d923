// Everything a board or protocol plug-in needs.
#pragma once

#include <tavric/board_doc.h>
#include <tavric/cmd_target.h>
#include <tavric/crypto.h>
#include <tavric/hex_text.h>
#include <tavric/loopback.h>
#include <tavric/messages.h>
#include <tavric/plugin.h>
#include <tavric/prompts.h>
#include <tavric/protocol.h>
#include <tavric/registry.h>
#include <tavric/resources.h>
#include <tavric/trace_record.h>
