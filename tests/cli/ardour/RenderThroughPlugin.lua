-- Second pass: the plug-in on track "In" playing from disk, its output recorded on a new
-- track "Out" whose inputs are connected to it.
-- Arguments: SCRIPT_DIR SESSION_DIR SAMPLES KIND:PLUGIN INDEX=VALUE...
-- KIND is the plug-in's format as Ardour names it (LXVST: values normalised; LV2: real values, the
-- plug-in named by its URI).
package.path = arg[1] .. "/?.lua;" .. package.path
local common = require("Common")
local dir, samples = arg[2], tonumber(arg[3])
local kind, name = arg[4]:match("^(%w+):(.+)$")

common.start_engine()
local session = load_session(dir, "render")
assert(session, "cannot load the session in " .. dir)
local input = session:route_by_name("In"):to_track()
input:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)

local plugin = ARDOUR.LuaAPI.new_plugin(session, name, ARDOUR.PluginType[kind], "")
assert(not plugin:isnil(), "Ardour has not indexed the plug-in " .. name)
-- Values go in before the plug-in is activated, so the first block already uses them.
for i = 5, #arg do
  local index, value = arg[i]:match("^(%d+)=(.+)$")
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, tonumber(index), tonumber(value)), "cannot set " .. arg[i])
end
assert(input:add_processor_by_index(plugin, 0, nil, true) == 0, "cannot add the plug-in")
input:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorDisk, PBD.GroupControlDisposition.NoGroup)

local output = session:new_audio_track(2, 2, nil, 1, "Out", ARDOUR.PresentationInfo.max_order,
                                       ARDOUR.TrackMode.Normal, false, false):front()
output:input():disconnect_all(nil)
for c = 0, 1 do
  assert(output:input():audio(c):connect(input:output():audio(c):name()) == 0, "cannot connect the tracks")
end
output:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
common.record(session, samples)
common.print_sources(output)
session:save_state("", false, false, false, false, false)
close_session()
