#include "sim/DefaultWorld.h"

namespace sim {

const char* defaultWorldText() {
  return R"(# The built-in world: the plotters of a small workshop.
#
# Three plotters on the maker's driver, each listed as its own entry (they differ in size,
# kind or update mode), two on the USB printing class behind print queues, a known model on the
# parallel port and the office printer.

[plotter ZK200 A4]            ; a plotter with the A4 basic firmware
connection = driver
type = ZK400
firmware = 1.14aKR A4
boot = 3.02
hardware = MB-7 rev C
tool = P 0.3 mm
status = Ready
fixtures = Vise 80
serial = 40123456

[plotter ZK400 A3 engraver]   ; the A3 engraver
connection = driver
type = ZK400
firmware = 2.01 A3
boot = 3.02
hardware = MB-9 rev A
tool = G 0.5 mm
status = Ready
fixtures = Rotary clamp 120
serial = 40234517

[plotter ZK2BS in update]     ; its boot program answers: waiting for a firmware download
connection = driver
type = ZK400
boot-type = ZK2BS
update-mode = yes
firmware = 1.02 A4
boot = 2.11
hardware = MB-5 rev B
tool = P 0.5 mm
status = Boot
fixtures = Vise 60
serial = 40005521

[plotter Classic]             ; escape commands; the model row leaves size and kind to ask
connection = printer
model = VelkorClassic59da
firmware = 1.08 A4
boot = 3.01
hardware = CL-2 rev D
tool = P 0.3 mm
status = Ready
fixtures = Vise 80
serial = 41207735

[plotter P-Series]            ; vendor requests; the model row leaves the size to ask
connection = printer
model = VelkorP-Series_3398a
firmware = 2.10 A3
boot = 3.10
hardware = PS-3 rev A
tool = P 0.4 mm
status = Ready
fixtures = Flat bed 300
serial = 52300918

[queue Velkor Classic]
plotter = Classic
port = USB001

[queue Velkor P-Series]
plotter = P-Series
port = USB002

[queue Velkor P-Series LPT]   ; a known model on the parallel port: listed, never spoken to
hardware-id = VelkorP-Series_2f94b
port = LPT1:

[queue Office Laser]          ; a network printer: no device, not a plotter
port = IP_192.168.10.20
)";
}

}  // namespace sim
