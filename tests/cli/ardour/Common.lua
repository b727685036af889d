-- Shared by both passes: the engine without sound hardware, and recording for a set time.
local common = {}

common.rate = 48000

function common.start_engine()
  local backend = AudioEngine:set_backend("None (Dummy)", "", "")
  assert(backend, "no dummy backend")
  backend:set_device_name("Silence")
  backend:set_sample_rate(common.rate)
  backend:set_buffer_size(1024)
  assert(AudioEngine:start(false) == 0, "the engine did not start")
end

-- Rolls with recording on until the transport has passed `samples`, then stops and waits for
-- the captured files to be closed. Gives up if the transport does not move.
function common.record(session, samples)
  session:goto_start(false)
  ARDOUR.LuaAPI.usleep(200000)
  session:maybe_enable_record(false)
  session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
  local polls = 0
  while session:transport_sample() < samples do
    ARDOUR.LuaAPI.usleep(20000)
    polls = polls + 1
    assert(polls < 50 * (samples / common.rate) + 500, "the transport is not moving")
  end
  session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
  while session:transport_rolling() do ARDOUR.LuaAPI.usleep(20000) end
  ARDOUR.LuaAPI.usleep(300000)
end

-- Prints the files behind the regions a track recorded, one "source PATH" line each.
function common.print_sources(track)
  for region in track:playlist():region_list():iter() do
    local audio = region:to_audioregion()
    for i = 0, audio:n_channels() - 1 do
      print("source " .. audio:source(i):to_filesource():path())
    end
  end
end

return common
