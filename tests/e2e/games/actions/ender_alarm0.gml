action_snapshot("snap.png"); action_end_game();
