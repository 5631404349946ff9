// Asked once the room has been seen; the name given last time is offered again.
var name;
name = get_string("Game over! Your name for the highscore table:", global.player_name);
if (name == "") name = global.player_name;
global.player_name = name;
ini_open("settings.ini");
ini_write_string("game", "name", name);
ini_close();
highscore_add(name, points);
show_debug_message("highscore added: " + name + " " + string(points));
