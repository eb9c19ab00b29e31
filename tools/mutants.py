# Hand-written mutants for the mutation tester (/work/shared/tools/mutate.py):
# one plausible fault per line of real behaviour, over every module, to
# measure whether the test suite notices a wrong program.
#
# Each line is mut(id, module, suite, file, snippet, replacement, what): the
# snippet must occur exactly once in the file; "what" says what the fault does.
# Ids carry a module prefix: G game, N net, P platform, C client core,
# K console, U screens, S server, L list service.
#
# Run it from a scratch clone, never from the working checkout (the tool
# changes the sources in place while it runs):
#   git clone /work/main /tmp/mut && cd /tmp/mut && \
#   cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build -j2 && \
#   python3 /work/shared/tools/mutate.py --src . --build build --mutants tools/mutants.py --out results.tsv
# List the mutants:   python3 /work/shared/tools/mutate.py --mutants tools/mutants.py --list
# Check the snippets: python3 tools/mutants.py   (from the project root; builds and runs nothing)
#
# The tool reads this file with exec(), giving it mut() and SUITES; the suites
# below add what the tool lacks. Mutants marked "(doubtful)" may be equivalent
# or need a test on an exact boundary; a survivor among them needs a judgement.
if __name__ == "__main__":  # run directly for the self-check at the end; the tool supplies these
    SUITES = {name: {} for name in ("server", "net", "client", "listd", "all")}
    M = []

    def mut(*args):
        M.append(args)

SUITES["game"] = {
    "targets": ["test_game", "test_client", "test_server"],
    "gtest": ["tests/test_game", "tests/test_client", "tests/test_server"],
    "ctest": [],
}
SUITES["platform"] = {
    "targets": ["test_platform", "test_net", "test_client", "test_server"],
    "gtest": ["tests/test_platform", "tests/test_net", "tests/test_client", "tests/test_server"],
    "ctest": [],
}
SUITES["screens"] = {
    "targets": ["test_client", "kringelbahn"],
    "gtest": ["tests/test_client"],
    "ctest": ["client_process_exit", "client_console_script_end_to_end"],
}

# ---------------------------------------------------------------------------
# common/game: field, trails, geometry
F = "common/game/field.cpp"
T = "common/game/trig.cpp"
mut("G01", "game", "game", F, "x >= 0 && x <= kFieldWidth", "x >= 0 && x < kFieldWidth",
    "a head on the far right edge (x = 800) counts as outside the field")
mut("G02", "game", "game", F, "y >= 0 && y <= kFieldHeight", "y > 0 && y <= kFieldHeight",
    "a head on the top row (y = 0) counts as outside the field")
mut("G03", "game", "game", F, "return a + random.Next(b - a);", "return a + random.Next(b - a - 1);",
    "RandomRange never draws its upper bound")
mut("G04", "game", "game", F, "+ 114 * BlueOf(c)) / 1000;", "+ 114 * BlueOf(c)) / 100;",
    "luminance ten times too high: dark trail colours pass as bright")
mut("G05", "game", "game", F, "c = Rgb(RandomRange(random, 20, 255)", "c = Rgb(RandomRange(random, 0, 255)",
    "the red channel of a random trail colour may fall below 20")
mut("G06", "game", "game", F, "long discs = std::lround(length);", "long discs = std::lround(length) + 1;",
    "a segment draws one disc too many and covers its end point")
mut("G07", "game", "game", F, "keep(x1, dx, -r - 1, target.Width() + r);",
    "keep(x1, dx, -r - 1, target.Width() - r);",
    "discs whose centre lies just right of the image are skipped though they touch it")
mut("G08", "game", "game", F, "i <= static_cast<long>(std::floor(last)); ++i)",
    "i < static_cast<long>(std::floor(last)); ++i)",
    "the last disc of every segment is missing")
mut("G09", "game", "game", T, "long index = std::lround(scaled);", "long index = static_cast<long>(scaled);",
    "headings are truncated to the table index instead of rounded")
mut("G10", "game", "game", T, "cosine[i] = static_cast<float>(std::cos(i / 10.0));",
    "cosine[i] = static_cast<float>(std::sin(i / 10.0));",
    "the cosine table holds sines: heads move along the wrong axis")

# ---------------------------------------------------------------------------
# common/net: framing, receive buffer, send batching, web list, LAN answers
P_ = "common/net/protocol.cpp"
RB = "common/net/receive_buffer.cpp"
SB = "common/net/send_batch.cpp"
WL = "common/net/web_list.cpp"
mut("N01", "net", "net", P_, "for (int i = 1; i < n; ++i) {", "for (int i = 1; i <= n; ++i) {",
    "MessageField returns the field after the one asked for")
mut("N02", "net", "net", P_, "  if (negative) value = -value;\n  if (value > std::numeric_limits",
    "  if (value > std::numeric_limits",
    "negative numbers in messages read as positive")
mut("N03", "net", "net", RB, "if (Pending() > kPendingLimit) {", "if (Pending() >= kPendingLimit) {",
    "exactly the limit of unfinished bytes breaks the connection")
mut("N04", "net", "net", RB, "    DropUnfinished();\n    discarding_ = true;", "    discarding_ = true;",
    "the unfinished message before a NUL byte is kept and joined to what follows")
mut("N05", "net", "net", RB, "      bytes.remove_prefix(end + 1);", "      bytes.remove_prefix(end);",
    "after a discarded message its terminator is kept: an empty message is handed out")
mut("N06", "net", "net", SB, "size_t cut = rest.rfind(kMessageTerminator, kMaxSend - 1);",
    "size_t cut = rest.rfind(kMessageTerminator, kMaxSend);",
    "a small batch may be cut into a send of 1201 bytes")
mut("N07", "net", "net", SB, "if (parts_.empty() || !parts_.back().shared.empty()) parts_.push_back",
    "if (parts_.empty()) parts_.push_back",
    "a message added after shared messages lengthens the shared part: wrong bytes are sent")
mut("N08", "net", "net", WL, "if (latin1Name.size() > kListNameBytes)", "if (latin1Name.size() >= kListNameBytes)",
    "a server name of exactly 64 bytes is refused for the list")
mut("N09", "net", "net", WL, "return complete_ || text_.size() > kListResponseLimit;", "return complete_;",
    "an endless list answer is read without a size limit")
mut("N10", "net", "net", "common/platform/core/address.cpp", "digits.size() || value < 1 ||", "digits.size() || value < 0 ||",
    "a list host with port 0 is taken instead of the default host")
mut("N11", "net", "net", "common/net/discovery.cpp", "Field(password ? 1 : 0)", "Field(password ? 0 : 1)",
    "the LAN answer reports the password flag inverted")
mut("N12", "net", "net", "common/net/score_list.cpp",
    "if (end == std::string_view::npos || entries.size() == kMaxScoreEntries) break;",
    "if (end == std::string_view::npos) break;",
    "a SCORES list is no longer capped at 256 entries")
mut("N13", "net", "net", "common/net/forwarded_for.cpp", "size_t comma = header.rfind(',');",
    "size_t comma = header.find(',');",
    "the first X-Forwarded-For address (client-chosen) is trusted instead of the last (the proxy's)")
mut("N14", "net", "client", "client/core/lan_search.cpp", "if (entry.port < 1 || entry.port > 65535) return std::nullopt;",
    "if (entry.port < 0 || entry.port > 65535) return std::nullopt;",
    "a LAN answer with port 0 is listed")
mut("N15", "net", "client", "client/core/lan_search.cpp",
    "  if (Piece(datagram, 0) != kDiscoveryAnswerTag) return std::nullopt;\n", "",
    "any datagram on the answer port is listed as a server")

# ---------------------------------------------------------------------------
# common/platform: files, ini, settings, latin1, key codes, pictures, image, sockets, poller
INI = "common/platform/core/ini_file.cpp"
L1 = "common/platform/core/latin1.cpp"
FI = "common/platform/core/files.cpp"
PIC = "common/platform/core/picture.cpp"
IMG = "common/platform/core/image.cpp"
TF = "common/platform/core/text_file.cpp"
KC = "common/platform/sdl/key_codes.cpp"
ST = "client/ui/settings.cpp"
mut("P01", "platform", "platform", INI,
    "if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))",
    "if (a[i] != b[i])",
    "ini groups and keys match only in the same letter case")
mut("P02", "platform", "platform", INI, "  if (negative) value = -value;\n  if (value > INT_MAX)", "  if (value > INT_MAX)",
    "negative ini values (a window left of the desktop) read as positive")
mut("P03", "platform", "platform", INI, "close == std::string::npos ? std::string::npos : close - 1)",
    "close == std::string::npos ? std::string::npos : close)",
    "an ini group name keeps its closing bracket: no key of the group is found")
mut("P04", "platform", "platform", L1, "if (code < kMinimum[length] || (code >= 0xD800",
    "if ((code >= 0xD800",
    "overlong UTF-8 forms are decoded as characters: an overlong newline arrives as a control byte")
mut("P05", "platform", "platform", L1, "code <= 255 ?", "code < 255 ?",
    "U+00FF becomes '?' in Latin-1")
mut("P06", "platform", "platform", FI, "  while (p < pattern.size() && pattern[p] == '*') ++p;\n", "",
    "a pattern ending in '*' no longer matches a name that ends where the star begins")
mut("P07", "platform", "platform", FI, "lower(pattern[p]) == lower(name[n])", "pattern[p] == name[n]",
    "wildcards match only in the same letter case")
mut("P08", "platform", "platform", KC, "keycode >= SDLK_a && keycode <= SDLK_z", "keycode >= SDLK_a && keycode < SDLK_z",
    "the Z key's virtual key ignores the keyboard layout")
mut("P09", "platform", "platform", PIC, "uint64_t stride = (rowBytes + 3) & ~uint64_t{3};",
    "uint64_t stride = rowBytes;",
    "BMP row padding is ignored: rows of odd widths shear")
mut("P10", "platform", "platform", PIC, "topDown ? fileRow : rows - 1 - fileRow", "topDown ? rows - 1 - fileRow : fileRow",
    "bottom-up and top-down BMPs come out upside down")
mut("P11", "platform", "platform", PIC, "row[x] = Rgb((p[0] * a + 127) / 255,", "row[x] = Rgb((p[0] * 255 + 127) / 255,",
    "a PNG's red channel is not blended over black by its alpha")
mut("P12", "platform", "platform", IMG, "int64_t r2 = int64_t{r} * r;", "int64_t r2 = int64_t{r} * r + r;",
    "filled circles (trail discs) are a pixel wider on the axes")
mut("P13", "platform", "platform", IMG, "if (from[i] != key) to[i]", "if (from[i] == key) to[i]",
    "colour-keyed sprites draw only their key colour")
mut("P14", "platform", "platform", TF, "      if (Peek() == '\\n') Next();\n", "",
    "a CR LF line end gives an extra empty line")
mut("P15", "platform", "platform", "common/platform/core/poller.cpp", "  if (write) entry.events |= POLLOUT;\n", "",
    "a socket waiting to write is never reported writable: queued output stalls")
mut("P16", "platform", "platform", ST, '"Fullscreen", 0) != 0 ? 1 : 0;', '"Fullscreen", 0) == 0 ? 1 : 0;',
    "the saved full-screen setting is read inverted")
mut("P17", "platform", "platform", L1, "return code >= 0 ? code : static_cast<unsigned char>(text[start]);",
    "return code >= 0 ? code : '?';", "bytes that are no UTF-8 become '?' instead of their Latin-1 characters")
mut("P18", "platform", "platform", L1, "    i = start;\n    return -1;\n  }\n  return code;", "    return -1;\n  }\n  return code;",
    "an overlong form or a surrogate keeps only its first byte: the bytes after it are lost")

# ---------------------------------------------------------------------------
# client/core: rounds, bots, items, confusion, network dispatch, server lists, connect task
RS = "client/core/round_steps.cpp"
BO = "client/core/bots.cpp"
IT = "client/core/items.cpp"
SC = "client/core/scoring.cpp"
ND = "client/core/net_dispatch.cpp"
mut("C01", "client-core", "client", RS, "if (CountEliminated(model.round) >= CountParticipants(model.round) - 1)",
    "if (CountEliminated(model.round) > CountParticipants(model.round) - 1)",
    "a round goes on with one survivor until everybody is out")
mut("C02", "client-core", "client", RS, "if (keys.left) p.heading -= turn;", "if (keys.left) p.heading += turn;",
    "the left key turns right")
mut("C03", "client-core", "client", RS,
    "  if (input.KeyDown(scan::kLeftCtrl) || input.KeyDown(scan::kRightCtrl)) keys = {};\n", "",
    "Ctrl chords (Ctrl+P, Ctrl+F) also steer the slots that share the letter")
mut("C04", "client-core", "client", BO, "    bot.heading -= turn;", "    bot.heading += turn;",
    "a bot turns away from a target on its left")
mut("C05", "client-core", "client", BO, "now, 5, true, bot.colour)", "now, 5, false, bot.colour)",
    "bots pass through trails")
mut("C06", "client-core", "client", IT, "RandomRange(random, 1, round.confusionOption ? 3 : 2);",
    "RandomRange(random, 1, 3);",
    "the confusion item appears with the confusion option off")
mut("C07", "client-core", "client", IT, "    round.itemVanish = now - 1;\n", "",
    "a picked-up item stays on the field")
mut("C08", "client-core", "client", IT, "if (player.item == 0 || player.itemStart != 0) return false;",
    "if (player.item == 0) return false;",
    "an item already in use can be used again, restarting its time")
mut("C09", "client-core", "client", SC, "    if (p.active && !p.dead) ++p.score;", "    if (p.active) ++p.score;",
    "eliminated players also score when another is eliminated")
mut("C10", "client-core", "client", SC, "if (p.active && p.score >= goal)", "if (p.active && p.score > goal)",
    "a player reaching exactly the goal does not win")
mut("C11", "client-core", "client", ND,
    "if (session.netMode != previous && session.netMode == kModeCountdown)",
    "if (session.netMode == kModeCountdown)",
    "every repeated MODE restarts the shown countdown")
mut("C12", "client-core", "client", ND, "  if (entries.empty()) entries.emplace_back();\n", "",
    "an empty SCORES list shows no entry at all")
mut("C13", "client-core", "client", ND, "return std::string(text.substr(0, limit));", "return std::string(text);",
    "texts from the server (name, chat, admin answers) are kept at any length")
mut("C14", "client-core", "client", "client/core/server_list.cpp",
    "if (found.address == entry.address && found.port == entry.port)",
    "if (found.address == entry.address)",
    "two servers on one machine (different ports) show as one")
mut("C25", "client-core", "client", "client/core/server_list.cpp",
    "if (IsIpv6Text(found.address) && !IsIpv6Text(entry.address)) found.address = entry.address;", "",
    "a server found over link-local IPv6 first keeps that address although it also answered over IPv4")
mut("C26", "client-core", "client", "client/core/pad_input.cpp", "    free->leftLatch = free->rightLatch = 1;\n", "",
    "the push that binds a pad also switches its new slot off again")
mut("C27", "client-core", "client", "client/core/net_play.cpp", "    left |= pad.left;", "    left |= pad.right;",
    "a pad bound to no slot steers a network head the wrong way")
mut("C28", "client-core", "client", "client/core/pad_input.cpp", "hold(scan::kEscape, pad.back);", "hold(scan::kEscape, pad.start);",
    "a pad's Start leaves the round where Back should")
mut("P20", "platform", "platform", "common/platform/sdl/sdl_platform.cpp", "      if (keyPressedInPoll_)\n", "      if (true)\n",
    "a phone keyboard's text, which comes without a key, is never typed")
mut("C29", "client-core", "client", "client/core/pad_input.cpp", "InsideField(finger.x, finger.y - kFieldTop)",
    "InsideField(finger.x, finger.y)", "a finger on the status bar steers and one at the field's foot does not")
mut("C30", "client-core", "client", "client/core/pad_input.cpp", "hold(scan::kEnter, gameState_ == kStateNet);",
    "hold(scan::kEnter, false);", "a phone player has no way to open the chat line")
mut("P19", "platform", "platform", "common/platform/sdl/sdl_pads.cpp", "stick < -kDeadZone", "stick <= -kDeadZone",
    "a stick resting on the dead zone's edge steers")
mut("C15", "client-core", "client", "client/core/net_connection.cpp",
    "  net.connecting = net.openLink(", "  if (!net.connecting) net.connecting = net.openLink(",
    "a connect while another attempt is under way waits for the old one instead of replacing it")
mut("C22", "client-core", "client", "client/core/game_state.cpp", "    change.pending = false;\n    Shown(model);\n    return false;",
    "    change.pending = false;\n    return false;",
    "a round's start pause counts from the fade's start, so the fade eats it")
mut("C23", "client-core", "client", "client/core/game_state.cpp", "  if (step == 6) SwitchTo(model, change.target);",
    "  if (step == 0) SwitchTo(model, change.target);",
    "a fade darkens the new screen instead of the old one")
mut("C24", "client-core", "client", "client/core/net_connection.cpp", "  net.session = NetSession{};\n", "",
    "a pause, chat lines and a countdown of the last server show on the next one")
mut("C16", "client-core", "client", "client/core/net_play.cpp",
    "if (now - round.steerTime <= kSteerInterval || model.net.session.chatOpen) return;",
    "if (now - round.steerTime <= kSteerInterval) return;",
    "typing a chat line also steers the head")
mut("C17", "client-core", "client", "client/core/net_play.cpp",
    "ButtonHeld(model.frame, 76, 56)) && !session.passwordText.empty())",
    "ButtonHeld(model.frame, 76, 56)))",
    "an empty password is sent")
mut("C18", "client-core", "client", BO, "      if (IsTrailPixel(round.trailImage, px, py)) {", "      if (false) {",
    "bots no longer evade trails ahead of them")
mut("C19", "client-core", "client", ND, "if (!NearField(x1, y1) || !NearField(x2, y2)) return 0;",
    "if (!NearField(x1, y1)) return 0;",
    "a LINE whose second end lies far off the field is drawn")
mut("C20", "client-core", "client", "client/core/net_connection.cpp", "if (!session.link->Send(message)) session.sendFailed = true;",
    "session.link->Send(message);", "a failed send to the server goes unnoticed")
mut("C21", "client-core", "client", ND, "while (discs < kDiscsPerFrame && session.link && session.received.Next(message))",
    "while (session.link && session.received.Next(message))", "a stream of long LINEs is drawn in one frame, however long it takes")

# ---------------------------------------------------------------------------
# client/console: commands, dispatch, scripts, limits
CR = "client/console/command_registry.cpp"
CT = "client/console/command_text.cpp"
SR = "client/console/script_runner.cpp"
mut("K01", "console", "client", CR, "if (t_nesting >= kMaxCommandNesting) return 1;",
    "if (t_nesting > kMaxCommandNesting) return 1;",
    "commands nest one level deeper than the limit of 64")
mut("K02", "console", "client", CR, "if (record.name == lowered)", "if (record.name == name)",
    "commands typed in capitals are unknown")
mut("K03", "console", "client", CR, "if (fromScript == 0 || ctx.model.frame.devMode != 0) ctx.Print",
    "if (fromScript == 0) ctx.Print",
    "in dev mode an unknown command in a script is not reported")
mut("K04", "console", "client", CR, "if (record.hidden || record.name.empty()) continue;",
    "if (record.name.empty()) continue;",
    "help lists the hidden commands")
mut("K05", "console", "client", CT, "  for (int i = 1; i < k; ++i) {", "  for (int i = 1; i <= k; ++i) {",
    "TextField returns the word after the one asked for")
mut("K06", "console", "client", CT, "      if (result[i] == ' ') result[i] = kProtectedBlank;", "      ;",
    "blanks inside quotes still split arguments")
mut("K07", "console", "client", CT, "base = 16, ++i;", "base = 10, ++i;",
    "$hex numbers read as decimal")
mut("K08", "console", "client", CT, "if (negative) value = ~value + 1;", "if (negative) value = ~value;",
    "negative numbers are one too small (-5 reads as -6)")
mut("K09", "console", "client", CT, "return value >= 0 && value < base ? value : -1;",
    "return value >= 0 && value <= base ? value : -1;",
    "a digit equal to the base is accepted ('2' in %binary, 'a' in decimal)")
mut("K10", "console", "client", SR, "if (result == 0 || ctx.model.frame.quit) return false;",
    "if (ctx.model.frame.quit) return false;",
    "\"end\" does not stop a script")
mut("K11", "console", "client", SR,
    "if (ctx.scripts.Running() >= Scripts::kMaxRunning) {",
    "if (ctx.scripts.Running() > Scripts::kMaxRunning) {",
    "a 17th script runs although 16 is the limit")
mut("K12", "console", "client", "client/console/command_flow.cpp", "holds = state != ParseNumber(word);",
    "holds = state == ParseNumber(word);",
    "\"if mode not N\" acts like \"if mode N\"")
mut("K13", "console", "client", "client/console/command_switches.cpp", "  if (value > 1) value = 1;\n", "",
    "a switch set with a digit above 1 keeps that value")
mut("K14", "console", "client", "client/console/command_players.cpp", "  if (parsed != 0) *colour = parsed;",
    "  *colour = parsed;",
    "colour 0 (an invisible trail) is accepted")
mut("K15", "console", "client", "client/console/console_keys.cpp",
    "console.input.size() >= kMaxConsoleInput) break;", "console.input.size() > kMaxConsoleInput) break;",
    "a paste makes the input line one byte longer than its limit")

# ---------------------------------------------------------------------------
# client/ui: screens and drawing
PT = "client/ui/put_text.cpp"
SL = "client/ui/server_list_view.cpp"
NV = "client/ui/net_view.cpp"
TX = "client/core/text_input.cpp"
MV = "client/ui/menu_view.cpp"
mut("U01", "screens", "screens", PT, "return font.TextWidth(text.substr(0, n) + kEllipsis) <= width;",
    "return font.TextWidth(text.substr(0, n)) <= width;",
    "the ellipsis is not counted: a cut text overflows its box")
mut("U02", "screens", "screens", PT, "  return kEllipsis + text.substr(text.size() - n);",
    "  return kEllipsis + text.substr(0, n);",
    "a long chat line being typed shows its start instead of its end")
mut("U03", "screens", "screens", MV, "  if (!ticked) return;", "  if (ticked) return;",
    "check boxes show the cross when the option is off")
mut("U04", "screens", "screens", MV, "CheckBox(screen, 195, 456, round.confusionOption != 0, kWhite);",
    "CheckBox(screen, 195, 456, round.upgradesOption != 0, kWhite);",
    "the confusion box shows the upgrades option")
mut("U05", "screens", "screens", SL, "  if (count < 0) {", "  if (count <= 0) {",
    "a finished empty search still shows \"searching\"")
mut("U06", "screens", "screens", SL, "bool highlighted = i == selected;", "bool highlighted = i == selected + 1;",
    "the row below the selected server is highlighted")
mut("U07", "screens", "screens", NV, "(value + 999) / 1000", "value / 1000",
    "the countdown rounds down to whole seconds (shows 0 with time left)")
mut("U08", "screens", "screens", NV, "std::min<size_t>(list.size(), 16);", "std::min<size_t>(list.size(), 15);",
    "the 16th score entry is not drawn")
mut("U09", "screens", "screens", NV, "  if (session.serverPaused) {", "  if (!session.serverPaused) {",
    "\"Pause\" shows while the game runs and not while it is paused")
mut("U10", "screens", "screens", NV, "mode, {kModeSpectating, kModeWaiting,", "mode, {kModeWaiting,",
    "a spectator sees the score line instead of the server name")
mut("U11", "screens", "screens", "client/core/chat_history.cpp", "for (int i = kChatHistoryLines - 1; i >= 1; --i)",
    "for (int i = kChatHistoryLines - 1; i >= 2; --i)",
    "a new chat line overwrites the previous newest one")
mut("U12", "screens", "screens", TX, "if (address.size() <= 7 ||", "if (address.size() < 7 ||",
    "a seven-character address (1.2.3.4) is accepted on the manual screen")
mut("U13", "screens", "screens", TX, "rule.maxLength == 0 || text.size() < rule.maxLength) {", "rule.maxLength == 0 || text.size() <= rule.maxLength) {",
    "a text field takes one character more than its limit from keys")
mut("U17", "screens", "screens", TX, "if (accepted && (rule.maxLength == 0 || text.size() < rule.maxLength))", "if (accepted)",
    "a phone keyboard's text passes a field's limit")
mut("U14", "screens", "screens", TX, "return ParseNumberText(port) > 0; }", "return ParseNumberText(port) >= 0; }",
    "port 0 counts as a usable port")
mut("U15", "screens", "screens", TX, "    if (end == start) return false;\n", "",
    "an address with an empty part (1..23.4) is accepted")

# ---------------------------------------------------------------------------
# server: game authority, ticks, admin, rate and guess limits, chat relay,
# socket transport, server loop caps, list registration, WebSocket
GT = "server/game_tick.cpp"
SG = "server/server_game.cpp"
RL = "server/rate_limit.h"
SL2 = "server/server_loop.cpp"
LR = "server/list_registration.cpp"
WS = "server/web_socket.cpp"
mut("S01", "server", "server", GT, "if (Members() >= 2) {", "if (Members() >= 1) {",
    "the last player wins the game when the opponent leaves during the round end")
mut("S02", "server", "server", GT, "if (r.points >= TargetScore()) {", "if (r.points > TargetScore()) {",
    "reaching exactly the target score does not win the game")
mut("S03", "server", "server", GT, "if (!leftField && InsideField(p.x, p.y) && field_.Pixel(p.x, p.y) != 0) {",
    "if (InsideField(p.x, p.y) && field_.Pixel(p.x, p.y) != 0) {",
    "a head that left the field can also die on a trail: survivors score twice")
mut("S04", "server", "server", GT, "  if (alive < 2) {", "  if (alive < 1) {",
    "a round goes on with one survivor")
mut("S05", "server", "server", GT, "&& Playing() < 2;", "&& Playing() < 1;",
    "a lone player with spectators cycles through rounds instead of waiting")
mut("S06", "server", "server", GT, "    r.playing = Eligible(r) ? 1 : 0;\n    r.points = 0;",
    "    r.playing = 1;\n    r.points = 0;",
    "a client without the password plays")
mut("S07", "server", "server", SG, "static_cast<int>(clients_.Size()) >= settings_.maxClients) return;",
    "static_cast<int>(clients_.Size()) > settings_.maxClients) return;",
    "one client more than the maximum may join")
mut("S08", "server", "server", SG, "if (member && (state_ != kRunning || !sender->playing)) {", "if (member) {",
    "a player changes colour in the middle of a round")
mut("S09", "server", "server", SG, " || !chatRelay_.Allow(clock_.Now())", "",
    "the server-wide chat relay limit is not applied")
mut("S10", "server", "server", SG, "if (paused_ || !member) break;", "if (!member) break;",
    "players steer while the game is paused")
mut("S11", "server", "server", SG, "if (settings_.hidden || datagram != kDiscoveryRequest) return std::nullopt;",
    "if (datagram != kDiscoveryRequest) return std::nullopt;",
    "a hidden server answers LAN searches")
mut("S12", "server", "server", RL, "if (start - now > (burst_ - 1) * interval_) return false;",
    "if (start - now > burst_ * interval_) return false;",
    "a rate limit lets one more than its burst through")
mut("S13", "server", "server", RL, "return it->second.count >= kAttempts ||", "return it->second.count > kAttempts ||",
    "an address gets a sixth password guess within the minute")
mut("S14", "server", "server", "server/admin.cpp", "} else if (!settings_.adminPassword.empty() &&", "} else if (",
    "with no administrator password set, an empty LOGIN logs in")
mut("S15", "server", "server", "server/socket_transport.cpp",
    "  if (handshake.state != WebSocketHandshake::State::kUpgrade) return Intake::kClosed;\n", "",
    "a refused WebSocket handshake leaves the connection open as a WebSocket")
mut("S16", "server", "server", "server/socket_transport.cpp",
    "      while (open && controlFrames-- > 0) open = peer->messages.Allow(now);\n", "",
    "WebSocket control frames (pings) are not rate limited")
mut("S17", "server", "server", SL2, "StrangersFrom(group) < kStrangersPerAddress", "StrangersFrom(group) <= kStrangersPerAddress",
    "one address may hold five connections that have not joined")
mut("S18", "server", "server", SL2, "(stranger && (now - peer.accepted > kJoinTime || now - peer.lastReceive > kSilenceTimeout))",
    "(stranger && now - peer.lastReceive > kSilenceTimeout)",
    "a connection that talks but never joins is kept forever")
mut("S19", "server", "server", "server/client_table.cpp", "  Reindex(at);\n", "",
    "removing a client leaves the later clients' index stale")
mut("S20", "server", "server", LR, '(settings_.PasswordProtected() ? "1" : "0")', '(settings_.PasswordProtected() ? "0" : "1")',
    "the list registration reports the password flag inverted")
mut("S21", "server", "server", "common/net/web_socket_opening.cpp", 'if (key.size() != 24 || !key.ends_with("==")) return false;',
    "if (key.size() != 24) return false;",
    "a WebSocket key of 24 characters not ending in == is accepted")
mut("S22", "server", "server", "common/net/web_socket_opening.cpp", "if (colon == std::string_view::npos || colon == 0 || line[0] == ' ' || line[0] == '\\t') return h;",
    "if (colon == std::string_view::npos || colon == 0) return h;",
    "folded header lines are accepted in the handshake")

# ---------------------------------------------------------------------------
# listd: query parsing, store limits, shown list, gate limits, reachability
LF = "listd/list_format.cpp"
LS = "listd/list_service.cpp"
LT = "listd/list_store.cpp"
HG = "listd/http_gate.cpp"
RE = "listd/reachability.cpp"
SF = "listd/static_files.cpp"
mut("S23", "server", "server", RL, "if (it == failures_.end() || now - it->second.since >= kWindow) return false;",
    "if (it == failures_.end() || now - it->second.since >= kWindow)\n"
    "      return recent_.size() == kTotalAttempts && now - recent_.front() < kWindow;",
    "the guess budget over all addresses refuses the right password from an address that never guessed")
mut("S24", "server", "server", RL, "if (e.count == 0 || now - e.since >= kWindow) e = {now, 0};", "if (e.count == 0) e = {now, 0};",
    "a guess window never restarts once it is over, so the address guesses without limit")
mut("S25", "server", "server", "server/server_loop.cpp", "now - peer.accepted >= kStrangerGraceMs && ", "",
    "churning strangers push out a newcomer before its JOIN arrives")
mut("S26", "server", "server", "common/net/web_socket_opening.cpp",
    'bytes.substr(0, kHandshakeLimit).find("\\r\\n\\r\\n");\n  if (end == std::string_view::npos || end + 4 > kHandshakeLimit) {',
    'bytes.find("\\r\\n\\r\\n");\n  if (end == std::string_view::npos) {', "an opening longer than the limit is taken once its end arrives")
mut("L01", "listd", "listd", WL, "if (value < 1 || value > 65535) return std::nullopt;",
    "if (value < 0 || value > 65535) return std::nullopt;",
    "port 0 is accepted in a registration")
mut("L02", "listd", "listd", LF, "      i += 2;", "      i += 3;",
    "the character after each %20 in a name is lost")
mut("L03", "listd", "listd", LF, "      if (!fresh) return std::nullopt;\n", "",
    "a query that repeats a key is accepted (the first value wins)")
mut("L04", "listd", "listd", LF, 'if (pass->second != "0" && pass->second != "1") {', "if (pass->second.empty()) {",
    "pass values other than 0 and 1 are stored")
mut("L05", "listd", "listd", LS, "if (query.size() > kMaxQueryBytes)", "if (query.size() >= kMaxQueryBytes)",
    "a query of exactly 1024 bytes is refused")
mut("L06", "listd", "listd", LS, "checksHeld_[peer] >= limits_.checksPerAddress ||", "",
    "one address may run every reachability check at once")
mut("L16", "listd", "listd", LS, "||\n      checksHeld_[network] >= limits_.checksPerNetwork) {", ") {",
    "one network may take every reachability check slot")
mut("L17", "listd", "listd", LT, "bool readOnly = ok && sqlite3_db_readonly(db_, \"main\") != 0;", "bool readOnly = false;",
    "a database file that opens read-only is taken, and every write fails later")
mut("L07", "listd", "listd", LS, "if (reachable.empty() || !reachable[0]) {", "if (reachable.empty()) {",
    "an unreachable server is listed")
mut("L08", "listd", "listd", LT, "if (counts[0] >= limits.perAddress)", "if (counts[0] > limits.perAddress)",
    "an address may hold one entry more than its limit")
mut("L09", "listd", "listd", LT, "if (counts[1] >= limits.perNetwork)", "if (counts[1] > limits.perNetwork)",
    "a network may hold one entry more than its limit")
mut("L10", "listd", "listd", LT, "int64_t senior = static_cast<int64_t>(places / 2);",
    "int64_t senior = static_cast<int64_t>(places);",
    "every shown place goes to the longest-listed entries: new servers are never shown")
mut("L23", "listd", "listd", LT, "WHERE address = ? AND port = ? AND failures = 0\"", "WHERE address = ? AND port = ?\"",
    "the relay joins players to a server whose last reachability check failed")
mut("L25", "listd", "listd", "listd/list_service.cpp", 'refuse(refusal::kUnreachable, " " + peer + " " + std::to_string(r->port))',
    "refuse(refusal::kUnreachable)", "a server refused for an unreachable port never learns where the list tried")
mut("S27", "server", "server", "server/list_registration.cpp", "if (address.empty() || !port)", "if (address.empty())",
    "a refusal naming no valid port shows the operator a port that is none")
mut("L24", "listd", "listd", "listd/relay.cpp", "mine >= limits_.perGroup", "mine > limits_.perGroup",
    "one player address may hold one relayed connection more than its limit")
mut("L11", "listd", "listd", "common/platform/core/address.cpp", "return Prefix(*address, address->v6 ? 6 : 3);",
    "return Prefix(*address, address->v6 ? 6 : 4);",
    "an IPv4 network is the address itself: the per-network limit never counts two entries together")
mut("L12", "listd", "listd", HG, "budget.connections < limits_.connectionsPerAddress", "budget.connections <= limits_.connectionsPerAddress",
    "an address may hold one connection more than its limit")
mut("L13", "listd", "listd", HG, 'bool longLine = c.bytes.find("\\r\\n") == std::string::npos;',
    'bool longLine = c.bytes.find("\\r\\n") != std::string::npos;',
    "a too-long request line and too-long headers get each other's status (414 / 431)")
mut("L14", "listd", "listd", RE, "SO_ERROR, &error, &size) == 0 && error == 0;", "SO_ERROR, &error, &size) == 0;",
    "a refused connection counts as a reachable game port")
mut("L15", "listd", "listd", RE, "    checked = std::min(checked, a.index);\n", "",
    "endpoints still being checked when the probe stops are reported unreachable instead of unchecked")
mut("L18", "listd", "listd", HG, "  setsockopt(fd, SOL_SOCKET, SO_SNDBUF", "  if (false) setsockopt(fd, SOL_SOCKET, SO_SNDBUF",
    "a slow reader's whole file sits in the kernel, past the stall rule")
mut("L22", "listd", "listd", HG, "    shutdown(fd, SHUT_WR);\n    DrainInput(fd);\n    Close(fd);", "    shutdown(fd, SHUT_WR);\n    Close(fd);",
    "bytes after a request, left unread, reset the connection and cut off the end of a file")
mut("L19", "listd", "listd", SF, "    return held.bytes;\n  held_ -=", "    return std::make_shared<const std::string>(*held.bytes);\n  held_ -=",
    "each reader of a web-root file gets its own copy")
mut("L20", "listd", "listd", SF, "if (it->second.bytes && it->second.bytes.use_count() == 1) {", "if (it->second.bytes) {",
    "a file being sent is dropped from the budget while its bytes are still held")
mut("L21", "listd", "listd", SF, "held.modified.tv_sec == status.st_mtim.tv_sec &&\n      held.modified.tv_nsec == status.st_mtim.tv_nsec)", "true)",
    "a web-root file changed on disk keeps being served from its old bytes")

mut("S28", "server", "server", "server/port_mapper.cpp", "std::max(1, g.leaseSeconds / 2)", "std::max(1, g.leaseSeconds * 3)",
    "a forwarding is renewed only after its lease has run out")
mut("S29", "server", "server", "server/port_mapper.cpp", "if (grant) gateway->Unmap(localPort, m.externalPort);",
    "if (grant) gateway->Unmap(localPort, localPort);", "the stop removes the game port, not the outside port the router gave")
mut("S30", "server", "server", "server/nat_verdict.cpp", "{0x64400000, 10}", "{0x64400000, 9}",
    "the shared (carrier-grade NAT) range is taken twice as wide and swallows public addresses")
mut("S31", "server", "server", "server/upnp_gateway.cpp", "port > 0 && port <= 65535", "port > 0",
    "a router's reserved port above 65535 is taken as the outside port")

if __name__ == "__main__":
    # Every snippet exactly once in its file, a real change, a known suite, unique ids.
    import os
    import sys
    problems = []
    ids = [m[0] for m in M]
    problems += [f"duplicate id {i}" for i in sorted({i for i in ids if ids.count(i) > 1})]
    for mid, module, suite, path, snippet, replacement, what in M:
        if suite not in SUITES:
            problems.append(f"{mid}: unknown suite {suite}")
        if snippet == replacement or not what:
            problems.append(f"{mid}: replacement equals the snippet, or no description")
        if not os.path.exists(path):
            problems.append(f"{mid}: no file {path}")
        elif open(path, encoding="latin-1").read().count(snippet) != 1:
            n = open(path, encoding="latin-1").read().count(snippet)
            problems.append(f"{mid}: snippet occurs {n} times in {path}")
    print(f"{len(M)} mutants, {len(problems)} problems", *problems, sep="\n")
    sys.exit(1 if problems else 0)
