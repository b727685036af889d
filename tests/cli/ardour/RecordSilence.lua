-- First pass: a session with a stereo track "In" holding a region of recorded silence, whose
-- files the test then overwrites with its input (Lua has no file import).
-- Arguments: SCRIPT_DIR SESSION_DIR SAMPLES
package.path = arg[1] .. "/?.lua;" .. package.path
local common = require("Common")
local dir, samples = arg[2], tonumber(arg[3])

common.start_engine()
local session = create_session(dir, "render", common.rate)
assert(session, "cannot create a session in " .. dir)
local track = session:new_audio_track(2, 2, nil, 1, "In", ARDOUR.PresentationInfo.max_order,
                                      ARDOUR.TrackMode.Normal, true, false):front()
track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
common.record(session, samples)
common.print_sources(track)
session:save_state("", false, false, false, false, false)
close_session()
