-- Equipment rows of the shipped database that sonde definition files cannot
-- hold. The database comes with one winch, one encoder and one cable type;
-- these add the alternatives the settings dialogs offer (not active) and the
-- per-sonde settings, found by the sondes' abbreviations.
INSERT INTO WINCH ("WINCH", "Name", "SerialNumber", "ACTIVE", "WinchControler", "Type", "MaxSpeed", "SP1", "DAC1", "SP2", "DAC2")
  VALUES (1, 'Portable winch 500 m', 'PW500', 0, 1, 3, 30, 10, 2048, 12.5, 1024);
INSERT INTO ENCODER ("ENCODER", "NAME", "SERIALNUMBER", "ACTIVE", "PulsesPerRevolution", "SampleInterval", "TYPE")
  VALUES (1, 'High resolution encoder', 'HR2500', 0, 2500, 10, 1);
INSERT INTO CABLE ("CABLETYPE", "NAME", "ACTIVE", "Drive", "Gain", "THRESHOLD", "BAUD", "PULSEWIDTH")
  VALUES (1, 'Four conductor', 0, 96, 48, 72, 62500, 12);
-- The standard winch's speed control: the slider's set point is in
-- thousandths of a metre a minute, and one step of the converter moves the
-- winch six metres a minute, so the slider runs from standstill to 30 m/min.
UPDATE WINCH SET "MaxSpeed" = 30000, "SP1" = 6000, "DAC1" = 1 WHERE "WINCH" = 0;
-- Each shipped sonde comes with its factory calibration file, named as the
-- calibration loader names a new one (abbreviation and serial number).
UPDATE SONDE SET "CALIBFILE" = "Abbreviation" || "SerialNumber";
-- Tension-gauge settings of every sonde on the standard winch and encoder.
INSERT INTO GAUGE ("WINCH", "ENCODER", "SONDE", "TENSIONGAUGE") SELECT 0, 0, "Sonde", 128 FROM SONDE;
-- Probe settings of the sonic sondes (full-wave sonic, cement bond, sonic).
INSERT INTO SonicParams ("SONDE", "SampleRate", "GainRx1", "GainRx2", "GainRx3", "ThresholdRx1", "ThresholdRx2", "ThresholdRx3")
  SELECT "Sonde", 4, 2, 4, 4, 8, 8, 8 FROM SONDE WHERE "Type" IN (4, 5, 10);
-- The curves of the shipped sondes are shown: each channel gets a legend line
-- in its track, in the order of the channels, a scale with the minimum at the
-- left and a colour by its line (the print line stays the thin solid one).
UPDATE CHANNELCOLUMN SET "HEADER" = 1, "SCALE" = 1,
  "HEADERLINE" = (SELECT COUNT(*) FROM CHANNELCOLUMN o WHERE o."COLUMNSTART" = CHANNELCOLUMN."COLUMNSTART"
                  AND o."CHANNEL" < CHANNELCOLUMN."CHANNEL"),
  "LINECOLOUR" = CASE (SELECT COUNT(*) FROM CHANNELCOLUMN o WHERE o."COLUMNSTART" = CHANNELCOLUMN."COLUMNSTART"
                       AND o."CHANNEL" < CHANNELCOLUMN."CHANNEL") % 6
                   WHEN 0 THEN 255 WHEN 1 THEN 16711680 WHEN 2 THEN 32768 WHEN 3 THEN 0 WHEN 4 THEN 16711935
                   ELSE 8421376 END;
