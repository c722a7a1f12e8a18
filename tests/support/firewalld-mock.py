'''firewalld for tests: the part of its D-Bus interface that the launcher calls, with
its documented signatures and errors.

Parameters: "state" (default "RUNNING"), "zone" (the default zone, "public"),
"open" (run-time ports already open, as "PORT/PROTOCOL"), "deny" (every change is
refused as polkit refuses it), "odd" (queries answer with other types than documented).
'''

import dbus

BUS_NAME = 'org.fedoraproject.FirewallD1'
MAIN_OBJ = '/org/fedoraproject/FirewallD1'
MAIN_IFACE = 'org.fedoraproject.FirewallD1'
SYSTEM_BUS = True

ZONE_IFACE = MAIN_IFACE + '.zone'
CONFIG_OBJ = MAIN_OBJ + '/config'
CONFIG_IFACE = MAIN_IFACE + '.config'
CONFIG_ZONE_IFACE = CONFIG_IFACE + '.zone'
ZONE_OBJ = CONFIG_OBJ + '/zone/0'

# Shared by the method bodies below, which run with the mock's globals.
REFUSE = '''
if self.deny:
    raise dbus.exceptions.DBusException('NOT_AUTHORIZED: ' + self.action,
                                        name='org.fedoraproject.FirewallD1.NotAuthorizedException')
'''
ADD = '''
if key in self.ports:
    raise dbus.exceptions.DBusException('ALREADY_ENABLED: ' + key, name='org.fedoraproject.FirewallD1.Exception')
self.ports.add(key)
'''


def load(mock, parameters):
    zone = parameters.get('zone', 'public')
    odd = parameters.get('odd', False)

    mock.deny = parameters.get('deny', False)
    mock.action = 'org.fedoraproject.FirewallD1.config'
    mock.ports = set(parameters.get('open', []))
    mock.AddProperties(MAIN_IFACE, dbus.Dictionary({
        'state': parameters.get('state', 'RUNNING'),
        'version': '1.3.0',
        'interface_version': '1.3',
    }, signature='sv'))
    mock.AddMethods(MAIN_IFACE, [
        ('getDefaultZone', '', 'i' if odd else 's', 'ret = 7' if odd else f'ret = "{zone}"'),
    ])
    mock.AddMethods(ZONE_IFACE, [
        ('queryPort', 'sss', 's' if odd else 'b',
         'ret = "yes"' if odd else 'ret = (args[1] + "/" + args[2]) in self.ports'),
        ('addPort', 'sssi', 's', REFUSE + 'key = args[1] + "/" + args[2]\n' + ADD + 'ret = args[0]'),
    ])

    mock.AddObject(CONFIG_OBJ, CONFIG_IFACE, {}, [
        ('getZoneByName', 's', 'o',
         f'if args[0] != "{zone}":\n'
         '    raise dbus.exceptions.DBusException("INVALID_ZONE: " + args[0],\n'
         '                                        name="org.fedoraproject.FirewallD1.Exception")\n'
         f'ret = dbus.ObjectPath("{ZONE_OBJ}")'),
    ])
    mock.AddObject(ZONE_OBJ, CONFIG_ZONE_IFACE, {'name': zone}, [
        ('addPort', 'ss', '', REFUSE + 'key = args[0] + "/" + args[1]\n' + ADD),
        ('queryPort', 'ss', 'b', 'ret = (args[0] + "/" + args[1]) in self.ports'),
    ])
    permanent = dbusmock_objects()[ZONE_OBJ]
    permanent.deny = mock.deny
    permanent.action = mock.action
    permanent.ports = set()


def dbusmock_objects():
    from dbusmock import mockobject  # pylint: disable=import-outside-toplevel
    return mockobject.objects
