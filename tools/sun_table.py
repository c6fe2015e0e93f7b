#!/usr/bin/env python3
"""Prints the sunrise and sunset table of tests/native/schedule_test.cpp.

    /usr/bin/python3 tools/sun_table.py

The times come from PyEphem (Debian's python3-ephem), independently of the
program's own equations, with the program's convention: the sun's upper
limb 34' below the horizon and no refraction of ephem's own, which puts
its centre 50' (0.833 degrees) down. Each time is the minute after local
midnight, rounded, of the rising before and the setting after the solar
noon of that local date; -1 for both when the sun stays up or down.
"""

import math

import ephem

# name, latitude, longitude, minutes ahead of UTC, month and day of 2024
PLACES = [
    ("Warsaw", 52.2297, 21.0122, 120, 6, 21),
    ("Warsaw", 52.2297, 21.0122, 60, 12, 21),
    ("Quito", -0.1807, -78.4678, -300, 3, 20),
    ("Sydney", -33.8688, 151.2093, 660, 12, 21),
    ("Reykjavik", 64.1466, -21.9426, 0, 6, 21),
    ("Reykjavik", 64.1466, -21.9426, 0, 12, 21),
    ("Tromso", 69.6492, 18.9553, 60, 12, 21),
    ("Tromso", 69.6492, 18.9553, 120, 6, 21),
    ("Longyearbyen", 78.2232, 15.6267, 60, 3, 1),
    ("Suva", -18.1416, 178.4419, 720, 1, 1),
    ("Apia", -13.8333, -171.7667, 780, 12, 31),
    ("McMurdo", -77.8419, 166.6863, 720, 6, 21),
    ("McMurdo", -77.8419, 166.6863, 780, 12, 21),
]


def minutes(event, midnight):
    return int(math.floor((event - midnight) * 1440 + 0.5))


for name, lat, lon, offset, month, day in PLACES:
    obs = ephem.Observer()
    obs.lat, obs.lon = str(lat), str(lon)
    obs.horizon, obs.pressure = "-0:34", 0
    midnight = ephem.Date(ephem.Date((2024, month, day)) - offset / 1440.0)
    # The solar noon nearest the middle of the local day.
    noon = 720 - 4 * lon + offset
    noon -= 1440 * round((noon - 720) / 1440)
    obs.date = ephem.Date(midnight + noon / 1440.0)
    sun = ephem.Sun()
    try:
        rise = minutes(obs.previous_rising(sun, use_center=False), midnight)
        set_ = minutes(obs.next_setting(sun, use_center=False), midnight)
    except (ephem.AlwaysUpError, ephem.NeverUpError):
        rise = set_ = -1
    print(f'      {{"{name}", {lat}, {lon}, {offset}, {month}, {day}, {rise}, {set_}}},')
