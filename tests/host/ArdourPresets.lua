-- Drives Debian's Ardour headless (ardour7-lua) for ArdourPresetTest.py. Environment:
--   SESSION_DIR, SESSION_NAME      the session folder and name
--   PLUGIN_TYPE, PLUGIN_ID         ARDOUR.PluginType number and the id or name Ardour knows the plug-in by
--   STEP                           "create": a new session with a stereo track and the plug-in, its
--                                  controls' values printed as "DEFAULT", StereoWidth set to 0.9, saved; "presets": open it, apply every preset Ardour lists
--                                  through its preset API, save a snapshot "preset-N" after each;
--                                  "values": open it and print the plug-in's values;
--                                  "automate": a new session as "create" makes it, with values set
--                                  (SETTINGS="Label=value ...") and an automation lane on StereoWidth in
--                                  Play mode, saved; "automation": open it, print the values and the
--                                  lane ("LANE" state, then "POINT" sample value per event)
-- Each line of the output is one fact, tab-separated, for the test to read; "LOADING" comes before a
-- preset is applied, so a host that freezes leaves the preset's name as the last line.

local function say (...)
    print (table.concat ({ ... }, "\t"))
    io.stdout:flush ()
end

-- Ardour numbers a plug-in's controls (inputs and outputs) in port order; audio and event ports are
-- parameters too, but not controls.
local function forEachInputControl (proc, fn)
    local plugin = proc:to_insert ():plugin (0)
    local control = 0
    for i = 0, plugin:parameter_count () - 1 do
        if plugin:parameter_is_control (i) then
            if plugin:parameter_is_input (i) then
                if fn (plugin:parameter_label (i), control) then return control end
            end
            control = control + 1
        end
    end
    return nil
end

local function printValues (proc, tag)
    forEachInputControl (proc, function (label, control)
        local value = ARDOUR.LuaAPI.get_processor_param (proc, control, true)
        say (tag or "VALUE", label, string.format ("%.9g", value))
    end)
end

local function controlNumber (proc, label)
    return forEachInputControl (proc, function (l) return l == label end)
end

local function wydenzaOn (session)
    for route in session:get_routes ():iter () do
        local proc = route:nth_plugin (0)
        if not proc:isnil () then return proc end
    end
    return nil
end

local function settings ()
    local list = {}
    for label, value in string.gmatch (os.getenv ("SETTINGS") or "", "(%w+)=([-0-9.e]+)") do
        list[#list + 1] = { label, tonumber (value) }
    end
    return list
end

-- The automation control of a control number (Ardour keys it by the plug-in's port index).
local function laneControl (proc, control)
    local port = proc:to_insert ():plugin (0):nth_parameter (control, true)
    return proc:to_insert ():to_automatable ():automation_control (
        Evoral.Parameter (ARDOUR.AutomationType.PluginAutomation, 0, port), false)
end

-- The lane the automation steps write and read: StereoWidth's, by Ardour's control number.
local LANE_POINTS = { { 0, 0.2 }, { 48000, 0.8 }, { 96000, 0.6 } }

AudioEngine:set_backend (os.getenv ("BACKEND") or "None (Dummy)", "", "")
AudioEngine:start (false)

local dir, name, step = os.getenv ("SESSION_DIR"), os.getenv ("SESSION_NAME"), os.getenv ("STEP")
local session

if step == "create" or step == "automate" then
    session = create_session (dir, name, 48000)
    assert (session, "no session")
    local track = session:new_audio_track (2, 2, nil, 1, "Stereo", ARDOUR.PresentationInfo.max_order,
                                           ARDOUR.TrackMode.Normal, true):front ()
    local proc = ARDOUR.LuaAPI.new_plugin (session, os.getenv ("PLUGIN_ID"), tonumber (os.getenv ("PLUGIN_TYPE")), "")
    if proc:isnil () then
        say ("NOPLUGIN")
        close_session ()
        return
    end
    track:add_processor_by_index (proc, 0, nil, true)
    printValues (proc, "DEFAULT")
    local width = controlNumber (proc, "StereoWidth")
    if width ~= nil then ARDOUR.LuaAPI.set_processor_param (proc, width, 0.9) end
    if step == "automate" then
        for _, setting in ipairs (settings ()) do
            ARDOUR.LuaAPI.set_processor_param (proc, controlNumber (proc, setting[1]), setting[2])
        end
        local al = ARDOUR.LuaAPI.plugin_automation (proc, width)
        for _, point in ipairs (LANE_POINTS) do
            al:add (Temporal.timepos_t (point[1]), point[2], false, true)
        end
        laneControl (proc, width):set_automation_state (ARDOUR.AutoState.Play)
    end
    say ("CREATED", proc:name ())
else
    session = load_session (dir, name)
    assert (session, "the session does not open")
    local proc = wydenzaOn (session)
    assert (proc ~= nil, "no plug-in in the session")

    if step == "presets" then
        local plugin = proc:to_insert ():plugin (0)
        local number = 0
        for preset in plugin:get_info ():get_presets (false):iter () do
            number = number + 1
            say ("LOADING", number, preset.label)
            say ("LOADED", number, tostring (plugin:load_preset (preset)))
            printValues (proc)
            session:save_state ("preset-" .. number, false, false, false, false, false)
        end
        say ("PRESETS", number)
    elseif step == "automation" then
        printValues (proc)
        local al = ARDOUR.LuaAPI.plugin_automation (proc, controlNumber (proc, "StereoWidth"))
        local state = laneControl (proc, controlNumber (proc, "StereoWidth")):automation_state ()
        say ("LANE", state == ARDOUR.AutoState.Play and "Play" or tostring (state))
        for event in al:events ():iter () do
            say ("POINT", tostring (event.when:samples ()), string.format ("%.9g", event.value))
        end
    else
        printValues (proc)
    end
end

session:save_state ("", false, false, false, false, false)
close_session ()
say ("DONE")
